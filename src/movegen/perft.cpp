// Counts the legal move paths of a position with the engine's own
// generators and makeMove, printing the count under each root move.
#include "movegen/perft.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>

#include "board/board.h"
#include "board/movelists.h"
#include "board/tables.h"
#include "frontend/movetext.h"
#include "movegen/movegen.h"
#include "search/hash/zobrist.h"

namespace {

// Records left for the move stack after the position's own.
constexpr int PERFT_MAX_DEPTH = USABLE_RECORDS - 1;

uint64_t perft(Board& board, int depth) {
  Move moves[MAX_MOVES];
  const int side = board.sideToMove;
  const int n = generateAllMoves(board, side, moves);
  uint64_t total = 0;
  if (depth == 1) {
    for (int i = 0; i < n; ++i) total += !board.leavesKingAttacked(moves[i], side);
    return total;
  }
  for (int i = 0; i < n; ++i) {
    if (board.makeMove(moves[i])) continue;
    total += perft(board, depth - 1);
    board.unmakeMove();
  }
  return total;
}

}  // namespace

uint64_t countPaths(Board& board, int depth) {
  return depth <= 0 ? 1 : perft(board, depth);
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
