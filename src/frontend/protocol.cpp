#include "frontend/protocol.h"

#include <cstring>
#include <string>

#include "board/board.h"
#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "frontend/gocommand.h"
#include "frontend/output.h"
#include "frontend/position.h"
#include "frontend/report.h"
#include "frontend/setoption.h"
#include "frontend/words.h"
#include "platform/platform.h"
#include "search/search.h"
#include "search/searchstate.h"

namespace {

constexpr int POLL_INTERVAL_MS = 10;

// Runs the go driver and answers with its best line: "bestmove", or
// "nobestmove" when it chose no move (no legal move that is not banned, or
// a depth of 0).
void serveGo(EngineSession& session, const char* line) {
  if (!session.positionValid) {
    sendLine("nobestmove");
    return;
  }
  const SearchLimits limits = parseGoCommand(line, timeManager.movesDivisor,
                                             searchOptions.timedDepth, goClockInMilliseconds);
  searchReporter = &protocolReporter;
  searchGo(*session.board, limits);
  sendBestMove(rootPv);
}

}  // namespace

CommandResult serveCommand(EngineSession& session, const char* line) {
  const char* start = skipBlanks(line);
  const char* end = wordEnd(start);
  if (start == end) return CommandResult::Continue;

  if (wordIs(start, end, "isready")) {
    sendLine("readyok");
  } else if (wordIs(start, end, "stop")) {
    stopRequested = 1;
  } else if (wordIs(start, end, "position")) {
    session.positionValid = servePosition(*session.board, line, session.positionValid);
  } else if (wordIs(start, end, "go") || wordIs(start, end, "ponder")) {
    serveGo(session, line);
  } else if (wordIs(start, end, "setoption")) {
    serveSetOption(line);
  } else if (wordIs(start, end, "banmoves")) {
    serveBanMoves(line);
  } else if (wordIs(start, end, "quit")) {
    return CommandResult::Quit;
  }
  // A second "ucci" and every other word: ignored.
  return CommandResult::Continue;
}

void runCommandLoop(EngineSession& session) {
  for (std::string kept;;) {
    // Lines that came while the engine thought are served first, in order.
    if (protocolReporter.takeKeptLine(&kept)) {
      if (serveCommand(session, kept.c_str()) == CommandResult::Quit) return;
      continue;
    }
    const char* line = readLine();
    if (line == nullptr) {
      if (inputClosed()) return;
      sleepMs(POLL_INTERVAL_MS);
      continue;
    }
    if (serveCommand(session, line) == CommandResult::Quit) return;
  }
}
