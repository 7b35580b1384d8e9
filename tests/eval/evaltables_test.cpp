// The start-up tables of the evaluation.
#include "eval/evaltables.h"
#include "eval/support.h"

namespace evaltest {
namespace {

int advisorClassOf(int first, int second) {
  return advisorClassTable[first | second << 8];
}

TEST(EvalTables, AdvisorClassesOfEveryPlacement) {
  buildTables();
  for (int side = BLACK; side <= RED; ++side) {
    std::vector<int> points{NO_SQUARE};
    for (int sq = 0; sq < 256; ++sq)
      if (squareAllowedFor(sideBase(side) + ADVISOR_INDEX, sq)) points.push_back(sq);
    ASSERT_EQ(points.size(), 6u);
    const int left = CORNER_LEFT[side], right = CORNER_RIGHT[side], centre = PALACE_CENTRE[side];
    for (int a : points)
      for (int c : points) {
        if (a == c && a != NO_SQUARE) continue;
        auto pair = [&](int x, int y) { return (a == x && c == y) || (a == y && c == x); };
        int expected = ADVISORS_SCATTERED;
        if (a == NO_SQUARE && c == NO_SQUARE) expected = ADVISORS_NONE;
        else if (pair(left, right)) expected = ADVISORS_HOME;
        else if (pair(centre, left)) expected = ADVISORS_LEFT;
        else if (pair(centre, right)) expected = ADVISORS_RIGHT;
        EXPECT_EQ(advisorClassOf(a, c), expected) << side << " " << a << " " << c;
      }
  }
  // The rank- and file-mirror images of the home corners.
  EXPECT_EQ(advisorClassOf(0x36, 0x38), ADVISORS_HOME);
  EXPECT_EQ(advisorClassOf(0xC8, 0xC6), ADVISORS_HOME);
  EXPECT_EQ(advisorClassOf(0x47, 0x36), ADVISORS_LEFT);
  EXPECT_EQ(advisorClassOf(0xB7, 0xC8), ADVISORS_RIGHT);
  EXPECT_EQ(advisorClassOf(0x36, NO_SQUARE), ADVISORS_SCATTERED);
}

TEST(EvalTables, MaterialCountsAndTargetClasses) {
  buildTables();
  // Bits: horses 0-1, rooks 2-3, cannons 4-5.
  EXPECT_EQ(attackMaterialTable[0], 0);
  EXPECT_EQ(attackMaterialTable[63], 8);
  EXPECT_EQ(attackMaterialTable[0b000100], 2);
  EXPECT_EQ(attackMaterialTable[0b010001], 2);
  EXPECT_EQ(attackMaterialTable[0b101010], 4);
  EXPECT_EQ(pawnCountTable5[31], 5);
  EXPECT_EQ(pawnCountTable5[0b10100], 2);
  // The start position: all pieces, so both sides have material 8 and 5 pawns.
  auto b = boardFromFen(START_FEN);
  const uint32_t sig = b->currentPly->materialSignature;
  for (int side = BLACK; side <= RED; ++side) {
    EXPECT_EQ(attackMaterialTable[(sig >> ATTACK_MATERIAL_SHIFT[side]) & 63], 8);
    EXPECT_EQ(pawnCountTable5[(sig >> PAWN_COUNT_SHIFT[side]) & 31], 5);
  }
  for (int code = 0; code < 32; ++code) {
    const int type = PieceTypeOf[code];
    EXPECT_EQ(lineTargetClass[code], type == HORSE ? 2 : type == CANNON ? 1 : 0) << code;
  }
}

TEST(EvalTables, ApproachSetsMirrorBetweenSides) {
  buildTables();
  int horses = 0, cannons = 0;
  for (int sq = 0; sq < 256; ++sq) {
    horses += horseApproach[RED][sq];
    cannons += cannonApproach[RED][sq];
    EXPECT_EQ(horseApproach[BLACK][sq], horseApproach[RED][flipRank(sq)]) << sq;
    EXPECT_EQ(cannonApproach[BLACK][sq], cannonApproach[RED][flipRank(sq)]) << sq;
    const int mirror = makeSquare(rankOf(sq), FILE_LEFT + FILE_RIGHT - fileOf(sq));
    if (InBoard[sq]) {
      EXPECT_EQ(horseApproach[RED][sq], horseApproach[RED][mirror]) << sq;
      EXPECT_EQ(cannonApproach[RED][sq], cannonApproach[RED][mirror]) << sq;
    }
  }
  EXPECT_EQ(horses, 6 + 6 + 7 + 7 + 5);
  EXPECT_EQ(cannons, 3 * 6 + 2 + 3 * 3);
  EXPECT_EQ(horseApproach[RED][NO_SQUARE] + cannonApproach[BLACK][NO_SQUARE], 0);
  EXPECT_TRUE(horseApproach[RED][0x36]);
  EXPECT_FALSE(horseApproach[RED][0x37]);
  EXPECT_TRUE(cannonApproach[RED][0x77]);
  EXPECT_TRUE(cannonApproach[BLACK][0x87]);
}

}  // namespace
}  // namespace evaltest
