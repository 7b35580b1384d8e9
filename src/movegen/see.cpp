#include "movegen/see.h"

#include <algorithm>

#include "board/board.h"
#include "board/tables.h"
#include "movegen/movegen.h"

namespace {

constexpr int MAX_EXCHANGE = 34;  // captures on one square: every piece once

inline int valueOn(const Board& b, int sq) { return SEE_VALUE[PieceTypeOf[b.squares[sq]]]; }

// Piece indices within a side, cheapest type first: pawns, advisors,
// elephants, horses, cannons, rooks, the king.
struct IndexRange {
  int first, count;
};
constexpr IndexRange CHEAPEST_FIRST[] = {
    {PAWN_INDEX, 5},  {ADVISOR_INDEX, 2}, {ELEPHANT_INDEX, 2}, {HORSE_INDEX, 2},
    {CANNON_INDEX, 2}, {ROOK_INDEX, 2},   {KING_INDEX, 1},
};

// The square of side's cheapest piece that can take on `to`, NO_SQUARE if
// none. A piece that left its square for `to` during the exchange is skipped.
int cheapestAttacker(const Board& b, int side, int to) {
  for (const IndexRange& r : CHEAPEST_FIRST) {
    for (int i = sideBase(side) + r.first; i < sideBase(side) + r.first + r.count; ++i) {
      const int sq = b.pieceList[i];
      if (sq == NO_SQUARE || sq == to || b.squares[sq] != i) continue;
      if (isPseudoLegal(b, side, moveFromTo(sq, to))) return sq;
    }
  }
  return NO_SQUARE;
}

}  // namespace

int staticExchange(Board& b, Move m) {
  const int to = m.to;
  int gain[MAX_EXCHANGE];
  int lifted[MAX_EXCHANGE];  // squares emptied, with their pieces below
  uint8_t liftedCode[MAX_EXCHANGE];
  const uint8_t victim = b.squares[to];
  int lifts = 0;

  gain[0] = valueOn(b, to);
  int from = m.from;
  int side = sideOfCode(b.squares[from]);
  int d = 0;
  while (true) {
    // The piece on `from` takes on `to`: `to` stays occupied, `from` empties.
    lifted[lifts] = from;
    liftedCode[lifts++] = b.squares[from];
    b.squares[to] = b.squares[from];
    b.squares[from] = EMPTY;
    b.toggleBits(from);
    side = otherSide(side);
    from = cheapestAttacker(b, side, to);
    if (from == NO_SQUARE || d + 1 >= MAX_EXCHANGE) break;
    // What the side taking now has won should the exchange end here.
    ++d;
    gain[d] = valueOn(b, to) - gain[d - 1];
  }
  while (--lifts >= 0) {
    b.squares[lifted[lifts]] = liftedCode[lifts];
    b.toggleBits(lifted[lifts]);
  }
  b.squares[to] = victim;
  // From the last capture back: each side takes only when that beats
  // leaving the exchange where it stands.
  for (; d > 0; --d) gain[d - 1] = -std::max(-gain[d - 1], gain[d]);
  return gain[0];
}

bool exchangeAtLeast(Board& b, Move m, int threshold) {
  if (valueOn(b, m.to) - valueOn(b, m.from) >= threshold) return true;
  return staticExchange(b, m) >= threshold;
}
