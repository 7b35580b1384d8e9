// Line threats: our rook or cannon behind a horse or cannon that stands in
// front of an enemy rook on the same line.
#include "board/board.h"
#include "board/lines.h"
#include "board/tables.h"
#include "eval/evaltables.h"
#include "eval/evaluate.h"

using namespace evalterm;

namespace {

inline bool holds(const Board& b, int sq, int side, int type) {
  const int code = b.squares[sq];
  return sideOfCode(code) == side && PieceTypeOf[code] == type;
}

// One look from the enemy rook on `rook`: x the first piece that way, then
// the second and third. With nothing that way all three name the rook's own
// square, which holds no piece of `side`.
int threatsAlong(const Board& b, int side, int rook, bool undefended, int x, int second,
                 int third) {
  const int code = b.squares[x];
  if (sideOfCode(code) == side) return 0;
  int score = 0;
  if (undefended && holds(b, second, side, ROOK) && lineTargetClass[code] > 0 &&
      !isAttackedBy(b, x, otherSide(side), rook))
    score += pinnedByRook(rook - x);
  if (holds(b, third, side, CANNON) && lineTargetClass[code] > 1)
    score += pinnedByCannon(rook - x);
  return score;
}

}  // namespace

int lineThreats(const Board& b, int side) {
  const int other = otherSide(side);
  const int first = sideBase(other) + ROOK_INDEX;
  int score = 0;
  for (int i = first; i <= first + 1; ++i) {
    const int sq = b.pieceList[i];
    if (sq == NO_SQUARE) continue;
    const bool undefended = !isAttackedBy(b, sq, other, NO_SQUARE);
    const int rank = rankOf(sq), file = fileOf(sq);

    // Along the file, towards the middle of the board.
    const LineEntry& col = ColLines[rank][b.bitCols[file]];
    if (rank < 8)
      score += threatsAlong(b, side, sq, undefended, col.firstHigh + file,
                            col.secondHigh + file, col.thirdHigh + file);
    else
      score += threatsAlong(b, side, sq, undefended, col.firstLow + file,
                            col.secondLow + file, col.thirdLow + file);

    // Along the rank, towards the centre file (both ways from it).
    const LineEntry& row = RowLines[file][b.bitRows[rank]];
    const int base = rank << 4;
    if (file >= FILE_CENTRE)
      score += threatsAlong(b, side, sq, undefended, row.firstLow + base,
                            row.secondLow + base, row.thirdLow + base);
    if (file <= FILE_CENTRE)
      score += threatsAlong(b, side, sq, undefended, row.firstHigh + base,
                            row.secondHigh + base, row.thirdHigh + base);
  }
  return score;
}
