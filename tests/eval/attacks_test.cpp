// The attack test against a square-by-square walk of the board, with and
// without an excluded square.
#include <cstdlib>

#include "eval/support.h"

namespace evaltest {
namespace {

struct Scratch {
  const Board& b;
  int excluded;

  bool occupied(int sq) const { return sq != excluded && b.squares[sq] != EMPTY; }

  // Occupied squares strictly between two squares of one line.
  int between(int a, int c) const {
    const int step = rankOf(a) == rankOf(c) ? (c > a ? 1 : -1) : (c > a ? 16 : -16);
    int n = 0;
    for (int sq = a + step; sq != c; sq += step) n += occupied(sq);
    return n;
  }

  bool attacks(int piece, int P, int sq) const {
    const int side = sideOfCode(piece);
    const int dr = rankOf(sq) - rankOf(P), df = fileOf(sq) - fileOf(P);
    const int adr = std::abs(dr), adf = std::abs(df);
    const bool line = dr == 0 || df == 0;
    switch (PieceTypeOf[piece]) {
      case ROOK: return line && between(P, sq) == 0;
      case CANNON: return line && between(P, sq) == 1;
      case KING: return PalaceMask[side][sq] && adr + adf == 1;
      case ADVISOR: return PalaceMask[side][sq] && adr == 1 && adf == 1;
      case ELEPHANT:
        return relativeRow(side, sq) <= 4 && adr == 2 && adf == 2 && !occupied((P + sq) / 2);
      case HORSE:
        if (adr == 2 && adf == 1) return !occupied(P + (dr > 0 ? 16 : -16));
        if (adr == 1 && adf == 2) return !occupied(P + (df > 0 ? 1 : -1));
        return false;
      case PAWN: {
        const int forward = side == RED ? -16 : 16;
        const bool crossed = relativeRow(side, P) >= 5;
        return sq == P + forward || (crossed && dr == 0 && adf == 1);
      }
      default: return false;
    }
  }

  bool attacked(int sq, int side) const {
    for (int i = sideBase(side); i <= lastIndex(side); ++i) {
      const int P = b.pieceList[i];
      if (P == NO_SQUARE || P == excluded || P == sq) continue;
      if (attacks(i, P, sq)) return true;
    }
    return false;
  }
};

TEST(IsAttackedBy, AgreesWithABoardWalk) {
  std::vector<std::string> fens = randomGamePositions(30, 150, 99);
  const std::vector<std::string> placed = randomPlacements(1500, 4);
  fens.insert(fens.end(), placed.begin(), placed.end());
  std::mt19937 rng(5);
  long attackedCount = 0, tests = 0;
  for (size_t f = 0; f < fens.size(); f += 3) {
    auto b = boardFromFen(fens[f]);
    std::vector<int> occupied, empty;
    for (int sq = 0; sq < 256; ++sq)
      if (InBoard[sq]) (b->squares[sq] == EMPTY ? empty : occupied).push_back(sq);
    const int excludedChoices[3] = {NO_SQUARE, occupied[rng() % occupied.size()],
                                    empty[rng() % empty.size()]};
    for (int excluded : excludedChoices) {
      const Scratch scratch{*b, excluded};
      for (int sq = 0; sq < 256; ++sq) {
        if (!InBoard[sq]) continue;
        for (int side = BLACK; side <= RED; ++side) {
          const bool expected = scratch.attacked(sq, side);
          ASSERT_EQ(isAttackedBy(*b, sq, side, excluded), expected)
              << fens[f] << " square " << sq << " side " << side << " excluded " << excluded;
          attackedCount += expected;
          ++tests;
        }
      }
    }
  }
  EXPECT_GT(attackedCount, tests / 10);
  EXPECT_LT(attackedCount, tests);
}

}  // namespace
}  // namespace evaltest
