// The advisor classes: every placement of two advisor points or none.
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

}  // namespace
}  // namespace evaltest
