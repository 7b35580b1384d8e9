// The history table (bonuses, the score cap, try counts and ratio), the
// tried-move bookkeeping after a cut-off, and the principal-variation
// lines' bounds.
#include <gtest/gtest.h>

#include "common/engine_tables.h"
#include "movegen/picker.h"
#include "search/history.h"

namespace {

using enginetest::boardFromFen;

Move mv(int fromFile, int fromRow, int toFile, int toRow) {
  return moveFromTo(squareAt(fromFile, fromRow), squareAt(toFile, toRow));
}

// Red rooks on d5 and c3; black rook c5, pawn e3, advisor d10.
const char* const FEN = "3ak4/9/9/9/p8/2rR5/9/2R1p4/9/3K5 w";
const Move QUIET = mv(3, 5, 3, 6);    // d5-d4
const Move CAPTURE = mv(3, 5, 2, 5);  // d5xc5

struct HistoryTest : ::testing::Test {
  void SetUp() override {
    enginetest::buildTables();
    buildHistoryTables();
    historyClear();
  }
  static int maxScore() {
    int m = 0;
    for (auto& row : historyTable)
      for (const HistoryEntry& e : row) m = std::max(m, e.score);
    return m;
  }
};

TEST_F(HistoryTest, BonusGrowsWithDepthAndIsBoundedForAnyDepth) {
  auto b = boardFromFen(FEN);
  const int depths[] = {-5, 0, 1, 10, 31, 32, 40, 47, 48, 1000};
  const int bonus[] = {1, 1, 1, 100, 961, 1000, 1000, 1000, 1000, 1000};
  for (int i = 0; i < 10; ++i) {
    historyClear();
    historyAdd(*b, depths[i], QUIET);
    EXPECT_EQ(historyScore(*b, QUIET), bonus[i]) << depths[i];
  }
}

TEST_F(HistoryTest, CapturesAndQuietMovesKeepSeparateScores) {
  auto b = boardFromFen(FEN);
  historyAdd(*b, 10, CAPTURE);
  EXPECT_EQ(historyScore(*b, CAPTURE), 100);
  EXPECT_EQ(historyScore(*b, mv(3, 5, 4, 5)), 0);  // quiet, same piece and rank
  for (int v = 0; v < 32; ++v) EXPECT_GE(historySlotTable[CAPTURE.to][v], HISTORY_QUIET_SLOTS);
}

TEST_F(HistoryTest, ScoresNeverExceedTheCapAfterAnUpdate) {
  auto b = boardFromFen(FEN);
  for (int i = 0; i < 4; ++i) historyAdd(*b, 40, CAPTURE);
  for (int adds = 1; adds <= 33; ++adds) {
    historyAdd(*b, 40, QUIET);
    ASSERT_LE(maxScore(), HISTORY_SCORE_LIMIT) << adds;
    if (adds == 32) {
      ASSERT_EQ(historyScore(*b, QUIET), 32000);
    }
  }
  // The 33rd bonus overflowed: every score was divided by four.
  EXPECT_EQ(historyScore(*b, QUIET), 33000 >> 2);
  EXPECT_EQ(historyScore(*b, CAPTURE), 1000);
  for (int i = 0; i < 2000; ++i) {
    historyAdd(*b, i % 50, i % 3 ? QUIET : CAPTURE);
    ASSERT_LE(maxScore(), HISTORY_SCORE_LIMIT);
  }
}

TEST_F(HistoryTest, TryCountsHalveAndGiveTheRatio) {
  auto b = boardFromFen(FEN);
  const HistoryEntry& e = historyTable[b->squares[QUIET.from]][Square90[QUIET.to]];
  historyGood(*b, CAPTURE);  // captures are not counted
  historyTried(*b, CAPTURE);
  EXPECT_EQ(historyTable[b->squares[CAPTURE.from]][Square90[CAPTURE.to]].tried, 1);
  for (int i = 0; i < 5; ++i) historyGood(*b, QUIET);
  EXPECT_EQ(e.good, 6);
  EXPECT_EQ(e.tried, 6);
  ASSERT_FALSE(b->makeMove(QUIET));
  EXPECT_EQ(historyRatio(*b, QUIET), 16384u);
  b->unmakeMove();
  while (e.tried < HISTORY_TRIED_LIMIT) historyTried(*b, QUIET);
  historyTried(*b, QUIET);
  EXPECT_EQ(e.tried, 8192);
  EXPECT_EQ(e.good, 3);
  ASSERT_FALSE(b->makeMove(QUIET));
  EXPECT_EQ(historyRatio(*b, QUIET), 3u * 16384 / 8192);
}

TEST_F(HistoryTest, CutOffMarksTheQuietMovesTriedBeforeIt) {
  auto b = boardFromFen(FEN);
  initPickers(b.get());
  MovePicker& p = *pickerAt(2);
  p.clearKillers();
  const Move hash = mv(3, 9, 3, 8);  // king step
  p.reset(hash);
  setKiller(p, QUIET);
  // The seventh quiet move drawn is the one that cuts off.
  std::vector<Move> quiets;
  while (quiets.size() < 7) {
    const Move m = p.next();
    ASSERT_FALSE(isNullMove(m));
    if (p.stage == 7) quiets.push_back(m);
  }
  markTriedMoves(p);
  auto tried = [&](Move m) {
    return historyTable[b->squares[m.from]][Square90[m.to]].tried;
  };
  EXPECT_EQ(tried(hash), 2);
  EXPECT_EQ(tried(QUIET), 1);  // the killer is not counted
  for (int i = 0; i < 6; ++i) EXPECT_EQ(tried(quiets[i]), 2) << i;
  EXPECT_EQ(tried(quiets[6]), 1);  // credited by the search instead
}

TEST(PrincipalVariation, LinesNeverOutgrowTheirPly) {
  auto b = boardFromFen(FEN);
  for (int ply = 0; ply < MAX_PLY; ++ply) b->pvLines[ply].count = 0;
  updatePv(*b, MAX_PLY - 1, QUIET, 9);  // the deepest line has no child
  EXPECT_EQ(b->pvLines[MAX_PLY - 1].count, 1);
  for (int ply = MAX_PLY - 2; ply >= 0; --ply) updatePv(*b, ply, moveFromTo(ply + 1, 0), 7);
  EXPECT_EQ(b->pvLines[0].count, MAX_PLY);
  EXPECT_EQ(b->pvLines[0].rootIndex, 7);
  EXPECT_EQ(b->pvLines[0].moves[0].from, 1);
  EXPECT_TRUE(sameMove(b->pvLines[0].moves[MAX_PLY - 1], QUIET));
  // A child line that claims too much is cut to what fits.
  b->pvLines[51].count = 100000;
  updatePv(*b, 50, QUIET, 3);
  EXPECT_EQ(b->pvLines[50].count, MAX_PLY - 50);
  PvRecord copy{};
  b->pvLines[0].count = -3;
  copyPv(&copy, b->pvLines[0]);
  EXPECT_EQ(copy.count, 0);
  b->pvLines[0].count = 1 << 20;
  copyPv(&copy, b->pvLines[0]);
  EXPECT_EQ(copy.count, MAX_PLY);
  EXPECT_EQ(copy.rootIndex, 7);
}

}  // namespace
