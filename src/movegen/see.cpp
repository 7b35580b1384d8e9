#include "movegen/see.h"

#include <algorithm>

#include "board/board.h"
#include "board/tables.h"
#include "movegen/movegen.h"

namespace {

constexpr int MAX_EXCHANGE = 34;  // captures on one square: every piece once

inline int valueOn(const Board& b, int sq) { return SEE_VALUE[PieceTypeOf[b.squares[sq]]]; }
inline int gap(int a, int b) { return a > b ? a - b : b - a; }

// Pieces strictly between two squares of one rank or file; -1 when the
// squares share neither.
int piecesBetween(const Board& b, int from, int to) {
  int step;
  if (rankOf(from) == rankOf(to))
    step = to > from ? 1 : -1;
  else if (fileOf(from) == fileOf(to))
    step = to > from ? 16 : -16;
  else
    return -1;
  int count = 0;
  for (int sq = from + step; sq != to; sq += step) count += b.squares[sq] != EMPTY;
  return count;
}

bool attacks(const Board& b, int type, int side, int sq, int to) {
  switch (type) {
    case PAWN: {
      const int forward = side == RED ? -16 : 16;
      if (sq + forward == to) return true;
      const bool crossed = side == RED ? rankOf(sq) <= 7 : rankOf(sq) >= 8;
      return crossed && gap(sq, to) == 1;
    }
    case ADVISOR:
      return guardPointOf(side, to) == ADVISOR_POINT && (gap(sq, to) == 15 || gap(sq, to) == 17);
    case ELEPHANT:
      return guardPointOf(side, to) == ELEPHANT_POINT &&
             (gap(sq, to) == 30 || gap(sq, to) == 34) && b.squares[(sq + to) >> 1] == EMPTY;
    case HORSE: {
      const int leg = HorseLeg[to - sq];
      return leg != 0 && b.squares[sq + leg] == EMPTY;
    }
    case ROOK:
      return piecesBetween(b, sq, to) == 0;
    case CANNON:
      return piecesBetween(b, sq, to) == 1;
    default:  // KING
      return PalaceMask[side][to] && (gap(sq, to) == 1 || gap(sq, to) == 16);
  }
}

// First piece index of each type within a side and the type's piece count,
// cheapest type first.
struct TypeRange {
  int type, first, count;
};
constexpr TypeRange CHEAPEST_FIRST[] = {
    {PAWN, PAWN_INDEX, 5},     {ADVISOR, ADVISOR_INDEX, 2}, {ELEPHANT, ELEPHANT_INDEX, 2},
    {HORSE, HORSE_INDEX, 2},   {CANNON, CANNON_INDEX, 2},   {ROOK, ROOK_INDEX, 2},
    {KING, KING_INDEX, 1},
};

// The square of side's cheapest piece that attacks `to`, NO_SQUARE if none.
// A piece that left its square for `to` during the exchange is skipped.
int cheapestAttacker(const Board& b, int side, int to) {
  for (const TypeRange& t : CHEAPEST_FIRST) {
    for (int i = sideBase(side) + t.first; i < sideBase(side) + t.first + t.count; ++i) {
      const int sq = b.pieceList[i];
      if (sq == NO_SQUARE || sq == to || b.squares[sq] != i) continue;
      if (attacks(b, t.type, side, sq, to)) return sq;
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
    // The piece on `from` takes on `to`.
    lifted[lifts] = from;
    liftedCode[lifts++] = b.squares[from];
    b.squares[to] = b.squares[from];
    b.squares[from] = EMPTY;
    side = otherSide(side);
    from = cheapestAttacker(b, side, to);
    if (from == NO_SQUARE || d + 1 >= MAX_EXCHANGE) break;
    // What the side taking now has won should the exchange end here.
    ++d;
    gain[d] = valueOn(b, to) - gain[d - 1];
  }
  while (--lifts >= 0) b.squares[lifted[lifts]] = liftedCode[lifts];
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
