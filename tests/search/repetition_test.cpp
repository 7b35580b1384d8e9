// Repetition and perpetual check: cycles of real moves, the walk's limits
// (captures, null moves, the set-up position) and the scores by side and
// ply.
#include <gtest/gtest.h>

#include "common/engine_tables.h"
#include "config/evalscript.h"
#include "search/history.h"

namespace {

using enginetest::boardFromFen;

Move mv(int fromFile, int fromRow, int toFile, int toRow) {
  return moveFromTo(squareAt(fromFile, fromRow), squareAt(toFile, toRow));
}

constexpr int REPEAT_VALUE = 7;

struct RepetitionTest : ::testing::Test {
  void SetUp() override { evalScript.evalConstB = REPEAT_VALUE; }
  static void play(Board& b, std::initializer_list<Move> moves) {
    for (Move m : moves) ASSERT_FALSE(b.makeMove(m)) << int(m.from) << "-" << int(m.to);
  }
  static int check(const Board& b, int ply, int* score, Move* move) {
    *score = 12345;
    return checkRepetition(b, ply, score, move);
  }
};

// The red rook on i9 checks along the back ranks while the black king steps
// between d10 and d9.
const char* const CHASE_FEN = "3k5/8R/9/9/9/9/9/9/9/5K3 w";
const Move ROOK_TO_10 = mv(8, 1, 8, 0), ROOK_TO_9 = mv(8, 0, 8, 1);
const Move KING_TO_9 = mv(3, 0, 3, 1), KING_TO_10 = mv(3, 1, 3, 0);

TEST_F(RepetitionTest, PerpetualCheckScoresForTheCheckedSide) {
  auto b = boardFromFen(CHASE_FEN);
  play(*b, {ROOK_TO_10, KING_TO_9, ROOK_TO_9, KING_TO_10});
  int score;
  Move move;
  // Red, to move, has checked at every move of the cycle.
  EXPECT_EQ(check(*b, 4, &score, &move), REP_CHECKING);
  EXPECT_EQ(score, 4 - PERPETUAL);
  EXPECT_TRUE(sameMove(move, ROOK_TO_10));
  EXPECT_EQ(check(*b, 0, &score, &move), REP_NONE);  // never at the root
  play(*b, {ROOK_TO_10});
  EXPECT_EQ(check(*b, 5, &score, &move), REP_CHECKED);
  EXPECT_EQ(score, PERPETUAL - 5);
  EXPECT_TRUE(sameMove(move, KING_TO_9));
}

TEST_F(RepetitionTest, PlainRepetitionScoresByPlyParity) {
  // The rook shuffles on the i-file without checking.
  auto b = boardFromFen("3k5/9/8R/9/9/9/9/9/9/5K3 w");
  int score;
  Move move;
  play(*b, {mv(8, 2, 8, 3), KING_TO_9});
  EXPECT_EQ(check(*b, 2, &score, &move), REP_NONE);
  EXPECT_TRUE(isNullMove(move));
  play(*b, {mv(8, 3, 8, 2), KING_TO_10});
  const int half = b->currentPly->incrementalScore / 2;
  EXPECT_EQ(check(*b, 4, &score, &move), REP_PLAIN);
  EXPECT_EQ(score, half + REPEAT_VALUE);
  EXPECT_EQ(check(*b, 3, &score, &move), REP_PLAIN);
  EXPECT_EQ(score, half - REPEAT_VALUE);
  EXPECT_TRUE(sameMove(move, mv(8, 2, 8, 3)));
}

TEST_F(RepetitionTest, TwoPliesBackIsNeverCompared) {
  // The rook walks down the i-file: no position repeats by itself.
  auto b = boardFromFen("3k5/9/8R/9/9/9/9/9/9/5K3 w");
  play(*b, {mv(8, 2, 8, 3), KING_TO_9, mv(8, 3, 8, 4), KING_TO_10, mv(8, 4, 8, 5), KING_TO_9});
  PlyRecord* now = b->currentPly;
  int score;
  Move move;
  EXPECT_EQ(check(*b, 6, &score, &move), REP_NONE);
  now[-2].zobrist = now->zobrist;
  EXPECT_EQ(check(*b, 6, &score, &move), REP_NONE);
  EXPECT_EQ(score, 12345);
  now[-4].zobrist = now->zobrist;
  EXPECT_EQ(check(*b, 6, &score, &move), REP_PLAIN);
  EXPECT_TRUE(sameMove(move, mv(8, 3, 8, 4)));
}

TEST_F(RepetitionTest, TheWalkStopsAtANullMove) {
  auto b = boardFromFen(CHASE_FEN);
  b->makeNullMove();
  play(*b, {mv(3, 0, 4, 0)});
  b->makeNullMove();
  play(*b, {mv(4, 0, 3, 0)});
  ASSERT_EQ(b->currentPly->zobrist, b->plyBase->zobrist);  // the same position
  int score;
  Move move;
  EXPECT_EQ(check(*b, 4, &score, &move), REP_NONE);
}

TEST_F(RepetitionTest, TheWalkStopsAtACapture) {
  // The red rook takes a pawn, then the pieces shuffle. Keys before the
  // capture are made to match: they must never be found.
  auto b = boardFromFen("3k5/9/8R/9/8p/9/9/9/9/5K3 w");
  const Move take = mv(8, 2, 8, 4);
  play(*b, {take, KING_TO_9, mv(8, 4, 8, 3), KING_TO_10});
  PlyRecord* now = b->currentPly;
  int score;
  Move move;
  now[-4].zobrist = now->zobrist;  // the position the capture was made from
  EXPECT_EQ(check(*b, 4, &score, &move), REP_NONE);
  play(*b, {mv(8, 3, 8, 4), KING_TO_9});
  now = b->currentPly;
  EXPECT_EQ(check(*b, 6, &score, &move), REP_PLAIN);  // after the capture: found
  EXPECT_TRUE(sameMove(move, mv(8, 4, 8, 3)));
}

TEST_F(RepetitionTest, TheWalkNeverReachesTheSentinels) {
  auto b = boardFromFen(CHASE_FEN);
  play(*b, {ROOK_TO_10, KING_TO_9, ROOK_TO_9, KING_TO_10});
  PlyRecord* now = b->currentPly;
  b->plyBase->zobrist ^= 1;  // no true repeat left
  now[-1].lastCaptureRecord = b->plyRecords;
  b->plyBase[-2].zobrist = now->zobrist;
  b->plyBase[-4].zobrist = now->zobrist;
  int score;
  Move move;
  EXPECT_EQ(check(*b, 4, &score, &move), REP_NONE);
}

}  // namespace
