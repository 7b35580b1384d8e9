// The record stack over a game: capture-extension budgets, and trimming a
// long game down to its tail without disturbing the position or its links.
#include "board/fixture.h"

namespace {

using namespace boardtest;

TEST(History, CaptureExtensionBudget) {
  auto b = boardFromFen("3k5/9/9/9/9/r7R/9/9/9/4K3R w");
  b->plyBase->captureExtensionBudget = 0;
  const Move line[] = {
      moveFromTo(squareAt(4, 9), squareAt(4, 8)),  // quiet
      moveFromTo(squareAt(3, 0), squareAt(3, 1)),  // quiet
      moveFromTo(squareAt(4, 8), squareAt(4, 9)),  // quiet
      moveFromTo(squareAt(0, 5), squareAt(8, 5)),  // black rook takes a rook
      moveFromTo(squareAt(8, 9), squareAt(8, 5)),  // and is taken back
  };
  const int expected[] = {-50, -50, -50, 50, 80};
  for (int i = 0; i < 5; ++i) {
    ASSERT_FALSE(b->makeMove(line[i])) << i;
    EXPECT_EQ(b->currentPly->captureExtensionBudget, expected[i]) << i;
  }
  EXPECT_EQ(b->currentPly->zobrist, scratchKey(*b));
  EXPECT_EQ(b->currentPly->incrementalScore, scratchScore(*b));
}

// A game of random legal moves, trimmed whenever it reaches the limit.
struct TrimmedGame {
  std::vector<ZobristKey> keys;          // key of the position before ply i
  std::vector<std::vector<int>> kinds;   // board before ply i
  std::vector<bool> capture;             // move i was a capture
  int dropped = 0;                       // plies trimmed off the stack
  int trims = 0;
};

::testing::AssertionResult linksSound(const Board& b, const TrimmedGame& g) {
  for (const PlyRecord* r = b.plyBase; r < b.currentPly; ++r) {
    const PlyRecord* link = r->lastCaptureRecord;
    if (link < b.plyRecords || link > r)
      return ::testing::AssertionFailure() << "link outside the stack at " << (r - b.plyBase);
    // Expected: the latest capture at or before r still on the stack, else
    // the sentinel below the base.
    const PlyRecord* want = b.plyBase - 1;
    for (int h = static_cast<int>(r - b.plyBase); h >= 0; --h)
      if (g.capture[g.dropped + h]) {
        want = b.plyBase + h;
        break;
      }
    if (link != want) return ::testing::AssertionFailure() << "wrong link at " << (r - b.plyBase);
  }
  return ::testing::AssertionSuccess();
}

bool playTrimmedGame(Board& b, uint32_t seed, int plies, TrimmedGame& g) {
  std::mt19937 rng(seed);
  for (int ply = 0; ply < plies; ++ply) {
    g.keys.push_back(b.currentPly->zobrist);
    g.kinds.push_back(kindsOf(b));
    if (b.height() >= GAME_RECORD_LIMIT) {
      const bool inCheck = b.inCheck();
      b.trimHistory(GAME_RECORDS_KEPT);
      g.dropped = ply - GAME_RECORDS_KEPT;
      ++g.trims;
      EXPECT_EQ(b.height(), GAME_RECORDS_KEPT);
      EXPECT_EQ(b.inCheck(), inCheck);
      for (int h = 0; h <= GAME_RECORDS_KEPT; ++h)
        EXPECT_EQ(b.plyBase[h].zobrist, g.keys[g.dropped + h]) << h;
      EXPECT_TRUE(linksSound(b, g));
      EXPECT_EQ(b.plyBase[-1].lastCaptureRecord, b.plyBase - 1);
    }
    const std::vector<Move> legal = legalMoves(b);
    if (legal.empty()) return false;
    const Move m = legal[rng() % legal.size()];
    g.capture.push_back(b.squares[m.to] != EMPTY);
    b.makeMove(m);
  }
  g.keys.push_back(b.currentPly->zobrist);
  g.kinds.push_back(kindsOf(b));
  return true;
}

TEST(History, TrimmingKeepsTheGameTail) {
  constexpr int PLIES = 2000;
  std::unique_ptr<Board> b;
  TrimmedGame g;
  // Random play may end in mate early; take the first seed that lasts.
  bool lasted = false;
  for (uint32_t seed = 1; seed <= 60 && !lasted; ++seed) {
    b = boardFromFen(START_FEN);
    g = TrimmedGame{};
    lasted = playTrimmedGame(*b, seed, PLIES, g);
    ASSERT_FALSE(HasFailure()) << "seed " << seed;
  }
  ASSERT_TRUE(lasted);
  EXPECT_GT(g.trims, 2);

  EXPECT_TRUE(consistent(*b));
  EXPECT_EQ(b->currentPly->zobrist, scratchKey(*b));
  EXPECT_EQ(b->currentPly->incrementalScore, scratchScore(*b));
  EXPECT_TRUE(linksSound(*b, g));
  // A board set up afresh from the final position agrees.
  auto fresh = boardFromFen(toFen(*b).c_str());
  EXPECT_EQ(kindsOf(*fresh), kindsOf(*b));
  EXPECT_EQ(fresh->currentPly->zobrist, b->currentPly->zobrist);
  EXPECT_EQ(fresh->currentPly->incrementalScore, b->currentPly->incrementalScore);
  EXPECT_EQ(fresh->inCheck(), b->inCheck());

  // Every kept move can still be taken back, through the earlier positions.
  for (int ply = PLIES; b->height() > 0;) {
    b->unmakeMove();
    --ply;
    ASSERT_EQ(b->currentPly->zobrist, g.keys[ply]) << ply;
    ASSERT_EQ(kindsOf(*b), g.kinds[ply]) << ply;
  }
  EXPECT_TRUE(consistent(*b));
}

}  // namespace
