// Counts the legal move paths of a position with the engine's own
// generators and makeMove.
#include "movegen/perft.h"


#include "board/board.h"
#include "movegen/movegen.h"

namespace {

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
