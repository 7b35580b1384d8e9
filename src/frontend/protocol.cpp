#include "frontend/protocol.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "board/board.h"
#include "config/config.h"
#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "frontend/gocommand.h"
#include "frontend/output.h"
#include "frontend/position.h"
#include "frontend/report.h"
#include "frontend/setoption.h"
#include "frontend/startup.h"
#include "frontend/words.h"
#include "platform/platform.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "search/thread.h"

namespace {

constexpr int POLL_INTERVAL_MS = 10;

// Runs the go driver and answers with its best line: "bestmove", or
// "nobestmove" / "bestmove (none)" when it chose no move (no legal move
// that is not banned, a depth of 0, or a position that cannot be searched).
void serveGo(EngineSession& session, const char* line) {
  const bool uci = session.protocol == Protocol::Uci;
  if (!session.positionValid) {
    if (uci) sendLine("info string no valid position to search");
    sendBestMove(PvRecord{}, uci);
    return;
  }
  SearchLimits limits =
      uci ? parseUciGo(line, session.board->sideToMove, timeManager.movesDivisor,
                       searchOptions.timedDepth, moveOverheadMs)
          : parseGoCommand(line, timeManager.movesDivisor, searchOptions.timedDepth,
                           goClockInMilliseconds);
  limits.multiPv = multiPvOption;
  limits.useBook = ownBookOption;
  searchReporter = &reporterFor(session.protocol);
  searchGo(*session.board, limits);
  // UCCI lets the engine claim the draw its move makes by repetition.
  const bool claimDraw = !uci && rootPv.count > 0 && !isNullMove(rootPv.moves[0]) &&
                         repeatsIntoDraw(*session.board, rootPv.moves[0]);
  sendBestMove(rootPv, uci, claimDraw);
}

// A UCI position line: as UCCI's, with a word for the front end when the
// position or one of its moves was refused.
void serveUciPosition(EngineSession& session, const char* line) {
  session.positionValid = servePosition(*session.board, line, session.positionValid);
  if (!session.positionValid) {
    sendLine("info string refused position: %.200s", line);
    return;
  }
  const char* p = findWord(line, "moves");
  if (p == nullptr) return;
  for (int i = 0; i < replayedMoveCount; ++i) p = skipBlanks(wordEnd(p));
  if (*p != '\0')
    sendLine("info string illegal move %.*s: it and the moves after it were not played",
             static_cast<int>(wordEnd(p) - p), p);
}

CommandResult serveUciCommand(EngineSession& session, const char* start, const char* end,
                              const char* line) {
  if (wordIs(start, end, "isready")) {
    sendLine("readyok");
  } else if (wordIs(start, end, "position")) {
    serveUciPosition(session, line);
  } else if (wordIs(start, end, "go")) {
    serveGo(session, line);
  } else if (wordIs(start, end, "setoption")) {
    serveUciSetOption(line);
  } else if (wordIs(start, end, "ucinewgame")) {
    startNewGame();
  } else if (wordIs(start, end, "uci")) {
    sendHandshake(Protocol::Uci);
  } else if (wordIs(start, end, "quit")) {
    return CommandResult::Quit;
  }
  // "stop" and "ponderhit" with no search running, "debug", "register"
  // and every other word: ignored.
  return CommandResult::Continue;
}

}  // namespace

void sendHandshake(Protocol protocol) {
  const int hashMb = std::clamp(configuredHashMb(), HASH_MIN_MB, HASH_MAX_MB);
  if (protocol == Protocol::Uci) {
    sendLine("id name Tolvane");
    sendLine("id author Tolvane developers");
    sendLine("option name Hash type spin default %d min %d max %d", hashMb, HASH_MIN_MB,
             HASH_MAX_MB);
    sendLine("option name Threads type spin default 1 min 1 max %d", MAX_SEARCH_THREADS);
    sendLine("option name MultiPV type spin default 1 min 1 max %d", MAX_MULTI_PV);
    sendLine("option name Ponder type check default false");
    sendLine("option name Clear Hash type button");
    sendLine("option name Move Overhead type spin default 0 min 0 max %d", MOVE_OVERHEAD_MAX_MS);
    sendLine("option name OwnBook type check default true");
    sendLine("option name BookFile type string default <empty>");
    sendLine("uciok");
    return;
  }
  sendLine("id name Tolvane");
  sendLine("id copyright (C) the Tolvane developers, free to use and share");
  sendLine("id author Tolvane developers");
  sendLine("id user Tolvane Test Team");
  sendLine("option batch type check default false");
  sendLine("option debug type check default false");
  sendLine("option ponder type check default false");
  sendLine("option bookfiles type string default ");
  sendLine("option hashsize type spin min %d max %d default %d", HASH_MIN_MB, HASH_MAX_MB, hashMb);
  sendLine("option pruning type combo var none var small var medium var large default large");
  sendLine("option knowledge type combo var none var small var medium var large default large");
  sendLine("option selectivity type combo var none var small var medium var large default none");
  sendLine("option loadbook type button");
  sendLine("option newgame type button");
  // Announced so that front ends send clocks in milliseconds: in whole
  // seconds an increment below one second reads as none.
  sendLine("option usemillisec type check default false");
  sendLine("option threads type spin min 1 max %d default 1", MAX_SEARCH_THREADS);
  sendLine("option multipv type spin min 1 max %d default 1", MAX_MULTI_PV);
  sendLine("ucciok");
}

ProtocolReporter& reporterFor(Protocol protocol) {
  return protocol == Protocol::Uci ? uciReporter : protocolReporter;
}

CommandResult serveCommand(EngineSession& session, const char* line) {
  const char* start = skipBlanks(line);
  const char* end = wordEnd(start);
  if (start == end) return CommandResult::Continue;
  if (session.protocol == Protocol::Uci) return serveUciCommand(session, start, end, line);

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
    if (reporterFor(session.protocol).takeKeptLine(&kept)) {
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
