// The check test on hand-built positions: each attacker kind with its
// blocking rules, facing kings, and the attacker reported back.
#include "board/fixture.h"

namespace {

using namespace boardtest;

bool redChecks(const char* fen) { return boardFromFen(fen)->attacksKing(RED); }
bool blackChecks(const char* fen) { return boardFromFen(fen)->attacksKing(BLACK); }

TEST(Check, FacingKings) {
  auto b = boardFromFen("4k4/9/9/9/9/9/9/9/9/4K4 w");
  EXPECT_TRUE(b->attacksKing(RED));
  EXPECT_TRUE(b->attacksKing(BLACK));
  int sq = 0;
  EXPECT_EQ(b->findKingAttacker(RED, &sq), kingIndex(RED));
  EXPECT_EQ(sq, squareAt(4, 9));
  EXPECT_FALSE(redChecks("4k4/9/9/9/4p4/9/9/9/9/4K4 w"));
  EXPECT_FALSE(redChecks("4k4/9/9/9/9/9/9/9/9/3K5 w"));
}

TEST(Check, HorseNeedsAnEmptyLeg) {
  // Two ranks and one file away: the leg is next to the horse on the file.
  EXPECT_TRUE(redChecks("4k4/9/3N5/9/9/9/9/9/9/3K5 w"));
  EXPECT_FALSE(redChecks("4k4/3c5/3N5/9/9/9/9/9/9/3K5 w"));
  // Two files and one rank away: the leg is next to the horse on the rank.
  EXPECT_TRUE(redChecks("4k4/2N6/9/9/9/9/9/9/9/3K5 w"));
  EXPECT_FALSE(redChecks("4k4/2Nc5/9/9/9/9/9/9/9/3K5 w"));
  // A piece on the far corner of the step does not block.
  EXPECT_TRUE(redChecks("4k4/2N1c4/9/9/9/9/9/9/9/3K5 w"));
  // The first horse is blocked, the second one checks.
  auto b = boardFromFen("4k4/2Nc5/5N3/9/9/9/9/9/9/3K5 w");
  int sq = 0;
  EXPECT_EQ(b->findKingAttacker(RED, &sq), 22);
  EXPECT_EQ(sq, squareAt(5, 2));
  // A black horse against the red king.
  EXPECT_TRUE(blackChecks("3k5/9/9/9/9/9/9/5n3/9/4K4 w"));
  EXPECT_FALSE(blackChecks("3k5/9/9/9/9/9/9/5n3/5R3/4K4 w"));
}

TEST(Check, CannonNeedsExactlyOneScreen) {
  EXPECT_FALSE(redChecks("4k4/9/9/9/9/4C4/9/9/9/3K5 w"));
  EXPECT_TRUE(redChecks("4k4/4a4/9/9/9/4C4/9/9/9/3K5 w"));
  EXPECT_TRUE(redChecks("4k4/9/9/4N4/9/4C4/9/9/9/3K5 w"));  // own screen
  EXPECT_FALSE(redChecks("4k4/4a4/9/4n4/9/4C4/9/9/9/3K5 w"));
  // Along the rank.
  EXPECT_TRUE(redChecks("4k1b1C/9/9/9/9/9/9/9/9/3K5 w"));
  EXPECT_FALSE(redChecks("4kC3/9/9/9/9/9/9/9/9/3K5 w"));
  EXPECT_FALSE(redChecks("2b1k3C/9/9/9/9/9/9/9/9/3K5 w"));
}

TEST(Check, RookAlongRankAndFile) {
  EXPECT_TRUE(redChecks("4k4/9/9/9/9/9/9/9/4R4/3K5 w"));
  EXPECT_FALSE(redChecks("4k4/9/4n4/9/9/9/9/9/4R4/3K5 w"));
  EXPECT_TRUE(redChecks("R3k4/9/9/9/9/9/9/9/9/3K5 w"));
  EXPECT_FALSE(redChecks("R1b1k4/9/9/9/9/9/9/9/9/3K5 w"));
  EXPECT_TRUE(blackChecks("3k5/9/9/9/9/9/9/9/9/4K2r1 w"));
}

TEST(Check, PawnsAttackForwardAndSidewaysOnly) {
  // Red pawns against the black king on the palace centre.
  EXPECT_TRUE(redChecks("9/4k4/4P4/9/9/9/9/9/9/3K5 w"));   // below the king
  EXPECT_FALSE(redChecks("4P4/4k4/9/9/9/9/9/9/9/3K5 w"));  // above it
  EXPECT_TRUE(redChecks("9/3Pk4/9/9/9/9/9/9/9/3K5 w"));
  EXPECT_TRUE(redChecks("9/4kP3/9/9/9/9/9/9/9/3K5 w"));
  EXPECT_FALSE(redChecks("9/4k4/9/4P4/9/9/9/9/9/3K5 w"));  // two ranks away
  EXPECT_FALSE(redChecks("9/4k4/3P5/9/9/9/9/9/9/3K5 w"));  // diagonal
  // Black pawns against the red king.
  EXPECT_TRUE(blackChecks("3k5/9/9/9/9/9/9/4p4/4K4/9 w"));   // above the king
  EXPECT_FALSE(blackChecks("3k5/9/9/9/9/9/9/9/4K4/4p4 w"));  // below it
  EXPECT_TRUE(blackChecks("3k5/9/9/9/9/9/9/9/3pK4/9 w"));
}

TEST(Check, AttackerReportAndCapture) {
  // Rook and horse both check; the line tests come first.
  auto b = boardFromFen("4k4/9/3N5/9/9/9/9/9/4R4/3K5 w");
  int sq = 0;
  EXPECT_EQ(b->findKingAttacker(RED, &sq), 23);
  EXPECT_EQ(sq, squareAt(4, 8));
  Move m = NULL_MOVE;
  ASSERT_TRUE(b->findKingCapture(RED, &m));
  EXPECT_EQ(m.from, squareAt(4, 8));
  EXPECT_EQ(m.to, squareAt(4, 0));
  Move untouched = moveFromTo(0x55, 0x66, 7);
  EXPECT_FALSE(b->findKingCapture(BLACK, &untouched));
  EXPECT_EQ(untouched.from, 0x55);
  EXPECT_EQ(untouched.score, 7);
  EXPECT_EQ(b->findKingAttacker(BLACK, &sq), EMPTY);
}

TEST(Check, SetUpRecordsWhetherTheSideToMoveIsInCheck) {
  EXPECT_TRUE(boardFromFen("4k4/4a4/9/9/9/4C4/9/9/9/3K5 b")->inCheck());
  EXPECT_FALSE(boardFromFen("4k4/4a4/9/9/9/4C4/9/9/9/3K5 w")->inCheck());
  EXPECT_FALSE(boardFromFen(START_FEN)->inCheck());
}

TEST(Check, LeavesKingAttackedTestsTheGivenSide) {
  // Red to move, but the question is about black's advisor screening its king.
  auto b = boardFromFen("4k4/4a4/9/9/9/4R4/9/9/9/3K5 w");
  EXPECT_TRUE(b->leavesKingAttacked(moveFromTo(squareAt(4, 1), squareAt(3, 2)), BLACK));
  EXPECT_FALSE(b->leavesKingAttacked(moveFromTo(squareAt(4, 0), squareAt(5, 0)), BLACK));
  // Onto the d-file it would face the red king.
  EXPECT_TRUE(b->leavesKingAttacked(moveFromTo(squareAt(4, 0), squareAt(3, 0)), BLACK));
  EXPECT_TRUE(consistent(*b));
  EXPECT_EQ(b->sideToMove, RED);
}

}  // namespace
