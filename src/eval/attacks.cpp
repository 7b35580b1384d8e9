// Attack test on one square, from the line tables and the piece list.
#include "board/board.h"
#include "board/lines.h"
#include "board/tables.h"
#include "eval/evaluate.h"
#include "movegen/movegen.h"

namespace {

inline bool holds(const Board& b, int sq, int side, int type) {
  const int code = b.squares[sq];
  return sideOfCode(code) == side && PieceTypeOf[code] == type;
}

// A rook as the first piece or a cannon as the second, one way along a line;
// `own` is the square's own position, which marks "no piece that way".
inline bool lineHit(const Board& b, int side, int own, int first, int second, int base) {
  return (first != own && holds(b, first + base, side, ROOK)) ||
         (second != own && holds(b, second + base, side, CANNON));
}

inline int distance(int a, int b) { return a > b ? a - b : b - a; }

}  // namespace

bool isAttackedByFreePieces(const Board& b, int sq, int side, int excluded) {
  const int r = rankOf(sq), f = fileOf(sq);
  // The excluded piece leaves the occupancy of its line.
  const int rowBits = b.bitRows[r] & ~(rankOf(excluded) == r ? RowMask[excluded] : 0);
  const int colBits = b.bitCols[f] & ~(fileOf(excluded) == f ? ColMask[excluded] : 0);
  const LineEntry& row = RowLines[f][rowBits];
  const int rowBase = r << 4;
  if (lineHit(b, side, f, row.firstLow, row.secondLow, rowBase) ||
      lineHit(b, side, f, row.firstHigh, row.secondHigh, rowBase))
    return true;
  const LineEntry& col = ColLines[r][colBits];
  const int own = r << 4;
  if (lineHit(b, side, own, col.firstLow, col.secondLow, f) ||
      lineHit(b, side, own, col.firstHigh, col.secondHigh, f))
    return true;

  // Pawns: forward onto the square, sideways once across the river.
  const int behind = sq - (side == RED ? -16 : 16);
  if (behind != excluded && holds(b, behind, side, PAWN)) return true;
  const bool crossed = side == RED ? r <= 7 : r >= 8;
  if (crossed && ((sq - 1 != excluded && holds(b, sq - 1, side, PAWN)) ||
                  (sq + 1 != excluded && holds(b, sq + 1, side, PAWN))))
    return true;

  for (int h = sideBase(side) + HORSE_INDEX; h <= sideBase(side) + HORSE_INDEX + 1; ++h) {
    const int H = b.pieceList[h];
    if (H == NO_SQUARE || H == excluded) continue;
    const int leg = HorseLeg[sq - H];
    if (leg != 0 && (b.squares[H + leg] == EMPTY || H + leg == excluded)) return true;
  }
  return false;
}

bool isAttackedBy(const Board& b, int sq, int side, int excluded) {
  if (isAttackedByFreePieces(b, sq, side, excluded)) return true;

  const int K = b.pieceList[kingIndex(side)];
  if (PalaceMask[side][sq] && K != excluded && K != NO_SQUARE) {
    const int d = distance(K, sq);
    if (d == 1 || d == 16) return true;
  }
  const int point = guardPointOf(side, sq);
  if (point == ADVISOR_POINT) {
    for (int a = sideBase(side) + ADVISOR_INDEX; a <= sideBase(side) + ADVISOR_INDEX + 1; ++a) {
      const int A = b.pieceList[a];
      if (A == NO_SQUARE || A == excluded) continue;
      const int d = distance(A, sq);
      if (d == 15 || d == 17) return true;
    }
  } else if (point == ELEPHANT_POINT) {
    for (int e = sideBase(side) + ELEPHANT_INDEX; e <= sideBase(side) + ELEPHANT_INDEX + 1; ++e) {
      const int E = b.pieceList[e];
      if (E == NO_SQUARE || E == excluded) continue;
      const int d = distance(E, sq);
      const int eye = (E + sq) >> 1;
      if ((d == 30 || d == 34) && (b.squares[eye] == EMPTY || eye == excluded)) return true;
    }
  }
  return false;
}
