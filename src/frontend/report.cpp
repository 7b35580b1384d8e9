#include "frontend/report.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>

#include "frontend/movetext.h"
#include "frontend/output.h"
#include "frontend/words.h"
#include "platform/platform.h"
#include "search/hash/tt.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "search/thread.h"

ProtocolReporter protocolReporter;
UciReporter uciReporter;

namespace {

constexpr const char* BROKEN_LINE_CAPTION = "测试PV记录的对话框";
constexpr const char* BROKEN_LINE_TEXT =
    "The engine found a move it cannot play in its best line. Please save the "
    "game record and send it to the Tolvane developers.";

// Room for the text of a full variation with its root-index note.
constexpr size_t PV_TEXT_SIZE = MAX_PLY * 5 + 16;

// " m1 m2 m3" from move `first` on, into out (PV_TEXT_SIZE characters).
const char* pvText(const PvRecord& pv, char* out, int first = 0) {
  size_t length = 0;
  for (int i = first; i < pv.count; ++i) {
    out[length++] = ' ';
    moveToText(pv.moves[i], out + length);
    length += 4;
  }
  out[length] = '\0';
  return out;
}

uint64_t nodesPerSecond(uint64_t nodes, int64_t ms) {
  return ms > 0 ? nodes * 1000 / static_cast<uint64_t>(ms) : 0;
}

}  // namespace

void ProtocolReporter::bookMove(Move m) {
  char text[5];
  moveToText(m, text);
  sendLine("info depth 0 score %d pv %s", m.score, text);
}

void ProtocolReporter::bestLine(const PvRecord& pv, int depth, int score) {
  char moves[PV_TEXT_SIZE];
  sendLine("info depth %d score %d pv%s", depth, score, pvText(pv, moves));
}

// The line front ends show (with several lines asked for, numbered), then
// the two that scripts read.
void ProtocolReporter::iterationDone(const PvRecord& pv, int depth, int score, int64_t ms,
                                     uint64_t nodes) {
  char moves[PV_TEXT_SIZE];
  const uint64_t nps = nodesPerSecond(nodes, ms);
  sendLine("info depth %d%s score %d time %" PRId64 " nodes %" PRIu64 " nps %" PRIu64 " pv%s",
           depth, goLimits.multiPv > 1 ? " multipv 1" : "", score, ms, nodes, nps,
           pvText(pv, moves));
  sendLine("info depth %d", depth);
  sendLine("info time=%" PRId64 "ms nodes=%" PRIu64, ms, nodes);
}

void ProtocolReporter::otherLine(const PvRecord& pv, int depth, int score, int multiPv) {
  char moves[PV_TEXT_SIZE];
  sendLine("info depth %d multipv %d score %d pv%s", depth, multiPv, score, pvText(pv, moves));
}

void ProtocolReporter::searchDone(int64_t ms, uint64_t nodes) {
  const double nps = ms > 0 ? static_cast<double>(nodes) / ms : 0.0;
  sendLine("info time=%" PRId64 "ms nodes=%" PRIu64 " nps=%.3fk", ms, nodes, nps);
}

// "depth v=score m1(rootIndex) m2 m3 " on the debug console.
void ProtocolReporter::debugLine(const PvRecord& pv, int depth, int score) {
  char text[PV_TEXT_SIZE + 64];
  if (pv.count <= 0) {
    std::snprintf(text, sizeof text, "%d v=%d ", depth, score);
  } else {
    char first[5], rest[PV_TEXT_SIZE];
    moveToText(pv.moves[0], first);
    std::snprintf(text, sizeof text, "%d v=%d %s(%d)%s ", depth, score, first, pv.rootIndex,
                  pvText(pv, rest, 1));
  }
  writeDebugLine(text);
}

void ProtocolReporter::brokenLine(const PvRecord& line, int broken) {
  askYesNo(BROKEN_LINE_TEXT, BROKEN_LINE_CAPTION);
  std::string moves;
  for (int i = 0; i <= broken; ++i) {
    char text[5];
    moveToText(line.moves[i], text);
    moves += text;
    moves += ' ';
  }
  askYesNo(moves.c_str(), "");
}

PollAnswer ProtocolReporter::pollInput() {
  if (quitting_) return PollAnswer::Stop;
  while (const char* line = readLine()) {
    const char* start = skipBlanks(line);
    const char* end = wordEnd(start);
    if (start == end) continue;
    if (wordIs(start, end, "stop")) return PollAnswer::Stop;
    if (wordIs(start, end, "ponderhit")) return PollAnswer::PonderHit;
    if (wordIs(start, end, "isready")) {
      sendLine("readyok");
      continue;
    }
    kept_.emplace_back(line);
    if (wordIs(start, end, "quit")) {
      quitting_ = true;
      return PollAnswer::Stop;
    }
  }
  // Nobody is left to wait for the answer: finish, and the kept lines.
  if (inputClosed()) {
    quitting_ = true;
    return PollAnswer::Stop;
  }
  return PollAnswer::Continue;
}

// ---- UCI

void formatUciScore(int score, char* out, size_t size) {
  if (score > PERPETUAL)
    std::snprintf(out, size, "mate %d", (MATE - score + 1) / 2);
  else if (score < -PERPETUAL)
    std::snprintf(out, size, "mate %d", -((MATE + score) / 2));
  else
    std::snprintf(out, size, "cp %d", score);
}

namespace {

void sendUciLine(const PvRecord& pv, int depth, int score, int multiPv, int64_t ms,
                 uint64_t nodes) {
  char moves[PV_TEXT_SIZE], scoreText[32];
  formatUciScore(score, scoreText, sizeof scoreText);
  const uint64_t nps = nodesPerSecond(nodes, ms);
  sendLine("info depth %d seldepth %d multipv %d score %s nodes %" PRIu64 " nps %" PRIu64
           " hashfull %d time %" PRId64 " pv%s",
           depth, std::max(searchThread(0).selDepth, depth), multiPv, scoreText, nodes, nps,
           hashFullPermille(), ms, pvText(pv, moves));
}

}  // namespace

void UciReporter::bookMove(Move m) {
  char text[5];
  moveToText(m, text);
  sendLine("info string book move %s weight %d", text, m.score);
}

void UciReporter::bestLine(const PvRecord& pv, int depth, int score) {
  sendUciLine(pv, depth, score, 1, searchElapsedMs(), searchedNodes());
}

void UciReporter::iterationDone(const PvRecord& pv, int depth, int score, int64_t ms,
                                uint64_t nodes) {
  sendUciLine(pv, depth, score, 1, ms, nodes);
}

void UciReporter::otherLine(const PvRecord& pv, int depth, int score, int multiPv) {
  sendUciLine(pv, depth, score, multiPv, searchElapsedMs(), searchedNodes());
}

void UciReporter::rootMove(Move m, int number) {
  char text[5];
  moveToText(m, text);
  sendLine("info depth %d currmove %s currmovenumber %d", searchThread(0).iterationDepth, text,
           number);
}

void UciReporter::searchDone(int64_t ms, uint64_t nodes) {
  const uint64_t nps = nodesPerSecond(nodes, ms);
  sendLine("info nodes %" PRIu64 " nps %" PRIu64 " hashfull %d time %" PRId64, nodes, nps,
           hashFullPermille(), ms);
}

bool ProtocolReporter::takeKeptLine(std::string* line) {
  if (kept_.empty()) return false;
  *line = std::move(kept_.front());
  kept_.pop_front();
  return true;
}
