// The principal-variation lines stay within their bounds whatever the
// search feeds them.
#include <gtest/gtest.h>

#include "board/tables.h"
#include "common/engine.h"
#include "search/search.h"

namespace {

TEST(PrincipalVariation, LinesNeverOutgrowTheirPly) {
  auto b = kit::boardFromFen("3ak4/9/9/9/p8/2rR5/9/2R1p4/9/3K5 w");
  const Move m = moveFromTo(squareAt(3, 5), squareAt(3, 6));
  for (PvRecord& line : b->pvLines) line.count = 0;
  updatePv(*b, MAX_PLY - 1, m, 9);  // the deepest line has no child
  EXPECT_EQ(b->pvLines[MAX_PLY - 1].count, 1);
  for (int ply = MAX_PLY - 2; ply >= 0; --ply) updatePv(*b, ply, m, 7);
  EXPECT_EQ(b->pvLines[0].count, MAX_PLY);
  b->pvLines[51].count = 100000;  // a child line that claims too much is cut to what fits
  updatePv(*b, 50, m, 3);
  EXPECT_EQ(b->pvLines[50].count, MAX_PLY - 50);
  PvRecord copy{};
  for (int count : {-3, 1 << 20}) {
    b->pvLines[0].count = count;
    copyPv(&copy, b->pvLines[0]);
    EXPECT_EQ(copy.count, count < 0 ? 0 : MAX_PLY);
  }
}

}  // namespace
