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
    // Moves to go shrink the share: the clock need only last until the
    // next control, with a reserve of moves.
    int64_t divisor = std::max(movesDivisor, 1);
    if (movesToGo > 0) divisor = std::min<int64_t>(divisor, movesToGo + MOVES_TO_GO_RESERVE);
    // Without moves to go or an increment the clock must last the whole
    // game: the same share as with moves to go.
    int64_t ms = clock * msPerUnit / divisor;
    if (movesToGo <= 0 && increment != nullptr) {
      const int64_t gain = parseBoundedInt(increment, GO_MAX_INCREMENT * unitsPerSecond);
      ms = (divisor * gain + clock) * msPerUnit / divisor;
    }
    l.budgetMs = std::min<int64_t>(ms, INT32_MAX);
    l.clockMs = clock * msPerUnit;
    l.depth = timedDepth > 0 ? timedDepth : GO_MAX_DEPTH;
    limited = true;
  }
  if (const char* t = findWord(line, "movetime")) {
    l.moveTimeMs = parseBoundedInt(t, GO_MAX_SECONDS * MS_PER_SECOND);
    limited = true;
  }
  if (const char* n = findWord(line, "nodes")) {
    // At least one: a node limit of 0 would read as none.
    l.nodes = static_cast<uint64_t>(std::max(parseBoundedInt(n, GO_MAX_NODES), 1));
    limited = true;
  }
  if (const char* m = findWord(line, "mate")) {
    l.mate = std::max(parseBoundedInt(m, GO_MAX_MATE), 1);
    limited = true;
  }
  if (const char* d = findWord(line, "depth")) {
    l.depth = parseBoundedInt(d, GO_MAX_DEPTH);
    l.budgetMs = l.clockMs = -1;
    limited = true;
  }
  // A bare "go": analysis.
  if (!limited) l.infinite = true;
  return l;
}

void sendBestMove(const PvRecord& pv) {
  if (pv.count <= 0 || isNullMove(pv.moves[0])) {
    // Nothing to play (no legal move, or a search that found no line).
    sendLine("nobestmove");
    return;
  }
  char first[5], second[5];
  moveToText(pv.moves[0], first);
  if (pv.count > 1) {
    moveToText(pv.moves[1], second);
    sendLine("bestmove %s ponder %s", first, second);
  } else {
    sendLine("bestmove %s", first);
  }
}
