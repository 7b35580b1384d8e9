#include "frontend/bench.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <string>

#include "board/board.h"
#include "board/movelists.h"
#include "board/tables.h"
#include "board/zobrist.h"
#include "book/book.h"
#include "config/searchoptions.h"
#include "frontend/gocommand.h"
#include "frontend/movetext.h"
#include "frontend/position.h"
#include "frontend/startup.h"
#include "movegen/movegen.h"
#include "movegen/perft.h"
#include "platform/platform.h"
#include "search/hash/tt.h"
#include "search/thread.h"
#include "search/report.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "search/tuning.h"

// Openings, middle games from played games, endgames and won positions
// with threats on the kings.
const char* const BENCH_POSITIONS[] = {
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w",
    "rnbakab1r/9/1c4nc1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR w",
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/2P6/P3P1P1P/1C5C1/9/RNBAKABNR b",
    "rn2kabnr/4a4/4b2c1/p1p1p1p1p/1c7/6P2/P1P1P3P/1CN4C1/4A4/R1B1KABNR w",
    "rnbaka2r/9/1c2b1nc1/pC2p1pCp/2p6/9/P1P1P1P1P/9/4A4/RNBAK1BNR w",
    "rnbakab1r/9/1c5c1/p1p1p3p/5np2/8P/P1P1P1P2/1CN1B2C1/9/R2AKABNR w",
    "r3kab1r/4a4/2n1b1n2/p3p1p1p/1cp6/6PN1/P1P1P3P/2N1B2C1/4A4/R3KAB1R w",
    "r2akab2/1R1n5/2c1br3/4p3p/p1P2npc1/3N5/P3P1P1P/3CB1NC1/4A4/2BAKR3 w",
    "2bak3r/3Ca4/r1n1b1n2/p3p3p/7c1/2R5P/P1P1P4/2N1B2C1/4A4/1RBAK4 w",
    "2b1ka3/4a4/2n1b4/p1pr2n1p/2c1p1p2/P4CP2/4P3P/1NR1B1N1B/4A4/4KA3 w",
    "4kab2/4a4/2n6/p7C/2P1prbP1/P2Nn2R1/2c2c3/2C1B1N1B/4A4/4KA3 w",
    "4kab2/4aN3/4b3n/6P1p/p8/2r5P/P1c6/2R1C4/4A4/3AK4 w",
    "2b1k4/4an2r/3nb4/3Cp4/7P1/5R3/4P4/2N1B4/4A4/4KA3 w",
    "3ak4/4a4/4b4/p3p3c/3R2b2/P1B6/4P2c1/9/6r1r/2BAKR3 w",
    "3ak4/3Ra4/9/9/9/9/4pn3/B4n3/3KA4/2B5r w",
    "3k5/4a4/4ba3/4p4/9/2P3P2/9/4B4/4A4/3AK4 w",
    "3k5/4a4/5a3/9/9/9/9/9/9/4K1R2 w",
    "4k4/4a4/9/4P4/9/9/9/9/4N4/3K5 w",
    "3ak4/9/9/9/2p3b2/9/9/4C4/4A4/4KA3 w",
    "2bak4/4a4/4b4/9/9/9/9/9/4A4/3AK1R2 w",
};
const int BENCH_POSITION_COUNT = sizeof BENCH_POSITIONS / sizeof BENCH_POSITIONS[0];
const int BENCH_DEPTH = 8;

uint64_t benchNodes(Board& board, bool printEach) {
  // A search that reports nothing and never reads input.
  SearchReporter silent;
  SearchReporter* const reporter = searchReporter;
  searchReporter = &silent;
  uint64_t total = 0;
  for (int i = 0; i < BENCH_POSITION_COUNT; ++i) {
    if (!setUpPosition(board, BENCH_POSITIONS[i])) {
      std::fprintf(stderr, "bench: position %d refused\n", i + 1);
      continue;
    }
    clearHash();
    searchGo(board, depthLimits(BENCH_DEPTH));
    const uint64_t nodes = searchedNodes();
    total += nodes;
    if (printEach) {
      char move[5];
      moveToText(rootPv.count > 0 ? rootPv.moves[0] : NULL_MOVE, move);
      std::printf("position %2d: bestmove %s score %6d nodes %" PRIu64 "\n", i + 1, move,
                  rootScore, nodes);
    }
  }
  searchReporter = reporter;
  return total;
}

int runBench(const char* argv0, const char* optionsPath, const char* scriptPath) {
  SearchOptions probe;
  if (optionsPath != nullptr && !loadSearchOptions(&probe, optionsPath)) {
    std::fprintf(stderr, "bench: cannot read %s\n", optionsPath);
    return 1;
  }
  std::string exeDirectory, exeName;
  splitPath(programPath(argv0), &exeDirectory, &exeName);
  Board* board = startUpEngine(exeDirectory, BENCH_HASH_MB, optionsPath ? optionsPath : "",
                               scriptPath ? scriptPath : "");
  if (board == nullptr) return 1;
  resetBookHeader();  // the bench measures the search, never the book
  const int64_t start = engineClockMs();
  const uint64_t nodes = benchNodes(*board, true);
  const int64_t ms = engineClockMs() - start;
  const uint64_t nps = ms > 0 ? nodes * 1000 / static_cast<uint64_t>(ms) : 0;
  std::printf("nodes %" PRIu64 " time %" PRId64 " nps %" PRIu64 "\n", nodes, ms, nps);
  std::fflush(stdout);
  releaseEngine(board);
  return 0;
}

int runPerft(int depth, const char* fen) {
  if (depth < 0 || depth > PERFT_MAX_DEPTH) {
    std::fprintf(stderr, "perft: depth must be 0 to %d\n", PERFT_MAX_DEPTH);
    return 1;
  }
  buildPieceTables();
  initZobrist();
  // Counting needs no scores: the score tables stay zero.
  buildMoveDelta();
  buildMoveTables();
  Board* board = new Board;
  board->init();
  // A position whose side to move could take the other king is no position.
  if (board->setFen(fen) != FenStatus::Ok || board->attacksKing(board->sideToMove)) {
    std::fprintf(stderr, "perft: bad FEN: %s\n", fen);
    delete board;
    freeMoveTables();
    return 1;
  }

  const auto start = std::chrono::steady_clock::now();
  uint64_t nodes = 0;
  if (depth == 0) {
    nodes = 1;
  } else {
    Move moves[MAX_MOVES];
    const int n = generateAllMoves(*board, board->sideToMove, moves);
    for (int i = 0; i < n; ++i) {
      if (board->makeMove(moves[i])) continue;
      const uint64_t count = countPaths(*board, depth - 1);
      board->unmakeMove();
      char text[5];
      moveToText(moves[i], text);
      std::printf("%s: %" PRIu64 "\n", text, count);
      nodes += count;
    }
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  const double seconds = std::chrono::duration<double>(elapsed).count();
  const uint64_t nps = seconds > 0 ? static_cast<uint64_t>(nodes / seconds) : 0;
  std::printf("nodes %" PRIu64 " time %" PRId64 " nps %" PRIu64 "\n", nodes, ms, nps);
  std::fflush(stdout);
  delete board;
  freeMoveTables();
  return 0;
}
