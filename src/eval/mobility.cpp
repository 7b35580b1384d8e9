// Mobility: the squares a side's rooks, horses and cannons can move to,
// each counted against a typical count, weighed per piece by the options.
#include <initializer_list>

#include "board/board.h"
#include "board/movelists.h"
#include "board/tables.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"

namespace {

// Typical counts in the middle game: a piece that reaches more squares than
// these scores above zero, one that reaches fewer below.
constexpr int ROOK_TYPICAL_SQUARES = 8;
constexpr int HORSE_TYPICAL_SQUARES = 3;
constexpr int CANNON_TYPICAL_SQUARES = 6;

using LineEnd = LineCapture LineMoveRecord::*;

// A line piece's moves: the empty squares of its rank and file, and one
// for each capture at the ends (the rook's or the cannon's) that would take
// an enemy piece.
inline int lineSquares(const Board& b, int sq, int enemy, LineEnd low, LineEnd high) {
  const LineMoveRecord& row = RowMoves[sq][b.bitRows[rankOf(sq)]];
  const LineMoveRecord& col = ColMoves[sq][b.bitCols[fileOf(sq)]];
  int n = row.quietCount + col.quietCount;
  for (const LineMoveRecord* r : {&row, &col})
    n += (sideOfCode(b.squares[(r->*low).square]) == enemy) +
         (sideOfCode(b.squares[(r->*high).square]) == enemy);
  return n;
}

inline int horseSquares(const Board& b, int kind, int sq, int side) {
  int n = 0;
  for (const TargetNode* t = PieceTargets[kind][sq]; t->target != NO_SQUARE; ++t)
    n += b.squares[t->block] == EMPTY && sideOfCode(b.squares[t->target]) != side;
  return n;
}

int sideMobility(const Board& b, int side) {
  const int base = sideBase(side), enemy = otherSide(side);
  int rook = 0, horse = 0, cannon = 0;
  for (int i = 0; i < 2; ++i) {
    const int r = b.pieceList[base + ROOK_INDEX + i];
    if (r != NO_SQUARE)
      rook += lineSquares(b, r, enemy, &LineMoveRecord::rookCaptureLow,
                          &LineMoveRecord::rookCaptureHigh) - ROOK_TYPICAL_SQUARES;
    const int h = b.pieceList[base + HORSE_INDEX + i];
    if (h != NO_SQUARE)
      horse += horseSquares(b, PieceKindOf[base + HORSE_INDEX + i], h, side) -
               HORSE_TYPICAL_SQUARES;
    const int c = b.pieceList[base + CANNON_INDEX + i];
    if (c != NO_SQUARE)
      cannon += lineSquares(b, c, enemy, &LineMoveRecord::cannonCaptureLow,
                            &LineMoveRecord::cannonCaptureHigh) - CANNON_TYPICAL_SQUARES;
  }
  return rook * searchOptions.mobilityRook + horse * searchOptions.mobilityHorse +
         cannon * searchOptions.mobilityCannon;
}

}  // namespace

int mobility(const Board& board, int side) {
  return sideMobility(board, side) - sideMobility(board, otherSide(side));
}
