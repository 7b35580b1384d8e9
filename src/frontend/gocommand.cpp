#include "frontend/gocommand.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "frontend/movetext.h"
#include "frontend/output.h"
#include "frontend/words.h"

int parseBoundedInt(const char* text, int maximum) {
  int64_t value = 0;  // at most maximum before each step: never overflows
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > maximum) value = maximum;
  }
  return static_cast<int>(value);
}


bool goClockInMilliseconds = false;

namespace {

// The share of the clock for this move, in milliseconds: the time left
// over the moves it must last, plus the increment when one is given and no
// moves to go are. Moves to go shrink the share: the clock need only last
// until the next control, with a reserve of moves. Without moves to go or
// an increment the clock must last the whole game: the same share.
int64_t clockBudgetMs(int64_t clockMs, int64_t incrementMs, int64_t movesToGo,
                      int movesDivisor) {
  int64_t divisor = std::max(movesDivisor, 1);
  if (movesToGo > 0) divisor = std::min<int64_t>(divisor, movesToGo + MOVES_TO_GO_RESERVE);
  int64_t ms = clockMs / divisor;
  if (movesToGo <= 0 && incrementMs >= 0) ms += incrementMs;
  return std::min<int64_t>(ms, INT32_MAX);
}

// The words that limit a search the same way in both protocols: "movetime"
// (milliseconds), "nodes", "mate" and "depth" (which overrides a clock).
// True when one was there.
bool readCommonLimits(const char* line, SearchLimits* l) {
  bool limited = false;
  if (const char* t = findWord(line, "movetime")) {
    l->moveTimeMs = parseBoundedInt(t, GO_MAX_SECONDS * MS_PER_SECOND);
    limited = true;
  }
  if (const char* n = findWord(line, "nodes")) {
    // At least one: a node limit of 0 would read as none.
    l->nodes = static_cast<uint64_t>(std::max(parseBoundedInt(n, GO_MAX_NODES), 1));
    limited = true;
  }
  if (const char* m = findWord(line, "mate")) {
    l->mate = std::max(parseBoundedInt(m, GO_MAX_MATE), 1);
    limited = true;
  }
  if (const char* d = findWord(line, "depth")) {
    l->depth = parseBoundedInt(d, GO_MAX_DEPTH);
    l->budgetMs = l->clockMs = -1;
    limited = true;
  }
  return limited;
}

}  // namespace

SearchLimits parseGoCommand(const char* line, int movesDivisor, int timedDepth,
                            bool milliseconds) {
  SearchLimits l;
  l.ponder = findWord(line, "ponder") != nullptr;
  if (findWord(line, "infinite") != nullptr) {
    l.infinite = true;
    return l;
  }
  bool limited = false;
  if (const char* t = findWord(line, "time")) {
    // The clock's numbers come in seconds, or in milliseconds when the front
    // end asked for them; the limits and rules are the same in either unit.
    const int unitsPerSecond = milliseconds ? MS_PER_SECOND : 1;
    const int64_t msPerUnit = MS_PER_SECOND / unitsPerSecond;
    const int64_t clock = parseBoundedInt(t, GO_MAX_SECONDS * unitsPerSecond);
    const char* movesToGoWord = findWord(line, "movestogo");
    const int64_t movesToGo =
        movesToGoWord == nullptr ? 0 : parseBoundedInt(movesToGoWord, GO_MAX_MOVES_TO_GO);
    const char* increment = findWord(line, "increment");
    const int64_t gain =
        increment == nullptr ? -1 : parseBoundedInt(increment, GO_MAX_INCREMENT * unitsPerSecond);
    l.clockMs = clock * msPerUnit;
    l.budgetMs = clockBudgetMs(l.clockMs, gain < 0 ? -1 : gain * msPerUnit, movesToGo, movesDivisor);
    l.depth = timedDepth > 0 ? timedDepth : GO_MAX_DEPTH;
    limited = true;
  }
  // A bare "go": analysis.
  if (!readCommonLimits(line, &l) && !limited) l.infinite = true;
  return l;
}

SearchLimits parseUciGo(const char* line, int side, int movesDivisor, int timedDepth,
                        int overheadMs) {
  SearchLimits l;
  l.ponder = findWord(line, "ponder") != nullptr;
  if (const char* m = findWord(line, "searchmoves")) {
    for (const char* p = m; *p != '\0' && l.searchMoveCount < MAX_SEARCH_MOVES; p = skipBlanks(p)) {
      const char* end = wordEnd(p);
      const Move move = textToMove(p);
      if (end - p != 4 || isNullMove(move)) break;
      l.searchMoves[l.searchMoveCount++] = move;
      p = end;
    }
  }
  if (findWord(line, "infinite") != nullptr) {
    l.infinite = true;
    return l;
  }
  const int64_t maxMs = int64_t{GO_MAX_SECONDS} * MS_PER_SECOND;
  const char* clock = findWord(line, side == RED ? "wtime" : "btime");
  bool limited = false;
  if (clock != nullptr) {
    const char* increment = findWord(line, side == RED ? "winc" : "binc");
    const char* movesToGo = findWord(line, "movestogo");
    // The front end's own delay comes off the clock; a little is always left.
    const int64_t left = std::max<int64_t>(parseBoundedInt(clock, maxMs) - overheadMs, 1);
    l.clockMs = left;
    l.budgetMs = clockBudgetMs(
        left, increment == nullptr ? -1 : parseBoundedInt(increment, GO_MAX_INCREMENT * MS_PER_SECOND),
        movesToGo == nullptr ? 0 : parseBoundedInt(movesToGo, GO_MAX_MOVES_TO_GO), movesDivisor);
    l.depth = timedDepth > 0 ? timedDepth : GO_MAX_DEPTH;
    limited = true;
  }
  if (!readCommonLimits(line, &l) && !limited) l.infinite = true;
  return l;
}

void sendBestMove(const PvRecord& pv, bool uci, bool claimDraw) {
  if (pv.count <= 0 || isNullMove(pv.moves[0])) {
    // Nothing to play (no legal move, or a search that found no line).
    sendLine(uci ? "bestmove (none)" : "nobestmove");
    return;
  }
  char first[5], second[5];
  moveToText(pv.moves[0], first);
  const char* claim = claimDraw ? " draw" : "";
  if (pv.count > 1) {
    moveToText(pv.moves[1], second);
    sendLine("bestmove %s ponder %s%s", first, second, claim);
  } else {
    sendLine("bestmove %s%s", first, claim);
  }
}
