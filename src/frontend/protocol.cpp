#include "frontend/protocol.h"

#include <cstring>

#include "board/board.h"
#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "frontend/gocommand.h"
#include "frontend/output.h"
#include "frontend/position.h"
#include "frontend/words.h"
#include "platform/platform.h"
#include "search/searchstate.h"

namespace {

constexpr int POLL_INTERVAL_MS = 10;

// The go driver runs here: it searches to `depth` and leaves its best line
// in rootPv, which then becomes the "bestmove" reply. Until the search is
// part of the engine, a go on a valid position has no reply.
void runSearch(Board& board, int depth) {
  (void)board;
  (void)depth;
}

void serveGo(EngineSession& session, const char* line) {
  if (!session.positionValid) {
    sendLine("nobestmove");
    return;
  }
  const GoRequest request =
      parseGoCommand(line, timeManager.movesDivisor, searchOptions.timedDepth);
  applyGoRequest(request, &searchOptions);
  runSearch(*session.board, request.depth);
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
  } else if (wordIs(start, end, "quit")) {
    return CommandResult::Quit;
  }
  // "setoption", "banmoves", a second "ucci" and every other word: ignored.
  return CommandResult::Continue;
}

void runCommandLoop(EngineSession& session) {
  for (;;) {
    const char* line = readLine();
    if (line == nullptr) {
      if (inputClosed()) return;
      sleepMs(POLL_INTERVAL_MS);
      continue;
    }
    if (serveCommand(session, line) == CommandResult::Quit) return;
  }
}
