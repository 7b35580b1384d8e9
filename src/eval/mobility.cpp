// Mobility: the squares a side's rooks, horses and cannons can move to,
// each counted against a typical count, weighed per piece by the options.
#include "board/board.h"
#include "board/movelists.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"

namespace {

// Typical counts in the middle game: a piece that reaches more squares than
// these scores above zero, one that reaches fewer below.
constexpr int ROOK_TYPICAL_SQUARES = 8;
constexpr int HORSE_TYPICAL_SQUARES = 3;
constexpr int CANNON_TYPICAL_SQUARES = 6;

// A line piece's moves: the empty squares of its rank and file, and one
// for each capture at the ends that would take an enemy piece.
inline int lineSquares(const Board& b, int sq, int enemy, bool cannon) {
  const LineMoveRecord& row = RowMoves[sq][b.bitRows[rankOf(sq)]];
  const LineMoveRecord& col = ColMoves[sq][b.bitCols[fileOf(sq)]];
  int n = row.quietCount + col.quietCount;
  const LineCapture* ends[4] = {cannon ? &row.cannonCaptureLow : &row.rookCaptureLow,
                                cannon ? &row.cannonCaptureHigh : &row.rookCaptureHigh,
                                cannon ? &col.cannonCaptureLow : &col.rookCaptureLow,
                                cannon ? &col.cannonCaptureHigh : &col.rookCaptureHigh};
  for (const LineCapture* c : ends) n += sideOfCode(b.squares[c->square]) == enemy;
  return n;
}

inline int horseSquares(const Board& b, int sq, int side) {
  int n = 0;
  for (const TargetNode* t = PieceTargets[HORSE + 7 * side][sq]; t->target != NO_SQUARE; ++t)
    n += b.squares[t->block] == EMPTY && sideOfCode(b.squares[t->target]) != side;
  return n;
}

int sideMobility(const Board& b, int side) {
  const int base = sideBase(side), enemy = otherSide(side);
  int rook = 0, horse = 0, cannon = 0;
  for (int i = 0; i < 2; ++i) {
    const int r = b.pieceList[base + ROOK_INDEX + i];
    if (r != NO_SQUARE) rook += lineSquares(b, r, enemy, false) - ROOK_TYPICAL_SQUARES;
    const int h = b.pieceList[base + HORSE_INDEX + i];
    if (h != NO_SQUARE) horse += horseSquares(b, h, side) - HORSE_TYPICAL_SQUARES;
    const int c = b.pieceList[base + CANNON_INDEX + i];
    if (c != NO_SQUARE) cannon += lineSquares(b, c, enemy, true) - CANNON_TYPICAL_SQUARES;
  }
  return rook * searchOptions.mobilityRook + horse * searchOptions.mobilityHorse +
         cannon * searchOptions.mobilityCannon;
}

}  // namespace

int mobility(const Board& board, int side) {
  return sideMobility(board, side) - sideMobility(board, otherSide(side));
}
