// The history table and the principal-variation lines stay within their
// bounds whatever the search feeds them.
#include <gtest/gtest.h>

#include <random>

#include "board/tables.h"
#include "common/engine.h"
#include "movegen/history.h"
#include "search/search.h"

namespace {

// Move scores are 16-bit: history scores must stay below the cap, and the
// try counts keep good <= tried, so the reduction ratio stays within its scale.
TEST(History, ScoresAndCountsStayBoundedWhateverTheUpdates) {
  auto b = kit::boardFromFen("3ak4/9/9/9/p8/2rR5/9/2R1p4/9/3K5 w");
  // The rook on d5 steps to d4 or takes the rook on c5.
  const Move moves[] = {moveFromTo(squareAt(3, 5), squareAt(3, 6)),
                        moveFromTo(squareAt(3, 5), squareAt(2, 5))};
  historyClear();
  std::mt19937 rng(3);
  for (int i = 0; i < 60000; ++i) {  // enough tries to reach the halving
    const Move m = moves[rng() % 2];
    const unsigned kind = rng() % 3;
    if (kind == 0) historyAdd(*b, int(rng() % 1100) - 50, m);
    if (kind == 1) historyGood(*b, m);
    if (kind == 2) historyTried(*b, m);
    ASSERT_TRUE(historyScore(*b, m) >= 0 && historyScore(*b, m) <= HISTORY_SCORE_LIMIT) << i;
  }
  for (const auto& row : historyTable)
    for (const HistoryEntry& e : row)
      EXPECT_TRUE(e.score <= HISTORY_SCORE_LIMIT && e.good <= e.tried && e.tried >= 1 &&
                  e.tried <= HISTORY_TRIED_LIMIT);
  historyClear();  // a deeper cut-off earns more
  historyAdd(*b, 3, moves[0]);
  historyAdd(*b, 9, moves[1]);
  EXPECT_LT(historyScore(*b, moves[0]), historyScore(*b, moves[1]));
}

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
