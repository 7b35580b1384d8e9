#include "board/board.h"
#include "board/lines.h"
#include "board/tables.h"
#include "movegen/movegen.h"

bool isPseudoLegal(const Board& b, int side, Move m) {
  const int from = m.from, to = m.to;
  const int piece = b.squares[from];
  if (sideOfCode(piece) != side) return false;
  const int target = b.squares[to];
  if (sideOfCode(target) == side) return false;
  const int diff = to - from;
  const int dist = diff < 0 ? -diff : diff;
  switch (PieceTypeOf[piece]) {
    case KING:
      return PalaceMask[side][from] && PalaceMask[side][to] && (dist == 1 || dist == 16);
    case ADVISOR:
      return PalaceMask[side][from] && PalaceMask[side][to] && (dist == 15 || dist == 17);
    case ELEPHANT:
      return guardPointOf(side, to) == ELEPHANT_POINT && (dist == 30 || dist == 34) &&
             b.squares[(from + to) >> 1] == EMPTY;
    case HORSE: {
      const int leg = HorseLeg[diff];
      return leg != 0 && b.squares[from + leg] == EMPTY;
    }
    case ROOK:
    case CANNON: {
      const bool rook = PieceTypeOf[piece] == ROOK;
      if (fileOf(from) == fileOf(to)) {
        const LineMaskEntry& e = ColLineMasks[rankOf(from)][b.bitCols[fileOf(from)]];
        const uint16_t mask = target == EMPTY ? e.emptyMask : rook ? e.firstMask : e.secondMask;
        return (mask & ColMask[to]) != 0;
      }
      if (rankOf(from) == rankOf(to)) {
        const LineMaskEntry& e = RowLineMasks[fileOf(from)][b.bitRows[rankOf(from)]];
        const uint16_t mask = target == EMPTY ? e.emptyMask : rook ? e.firstMask : e.secondMask;
        return (mask & RowMask[to]) != 0;
      }
      return false;
    }
    case PAWN:
      if (side == BLACK ? diff == 16 : diff == -16) return true;
      return (side == BLACK ? rankOf(from) >= 8 : rankOf(from) <= 7) && dist == 1;
    default:
      return false;
  }
}

bool hasNoLegalMove(Board& b, int side) {
  Move moves[MAX_MOVES];
  const int n = generateAllMoves(b, side, moves);
  for (int i = 0; i < n; ++i)
    if (!b.leavesKingAttacked(moves[i], side)) return false;
  return true;
}

Move bannedMoves[MAX_BANNED_MOVES];
int bannedMoveCount = 0;
