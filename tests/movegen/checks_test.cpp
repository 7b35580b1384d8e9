// Check evasions, quiet checks, facing kings, and the generators' orders on
// hand-made positions.
#include "movegen/checks.h"
#include "support.h"

namespace movegentest {
namespace {

struct Evasions {
  Move checkers[MAX_CHECKERS];
  int checkerCount;
  Move moves[MAX_MOVES];
  int count;
};

Evasions evasionsOf(const Board& b, int stageMask) {
  Evasions e;
  const int side = b.sideToMove;
  e.checkerCount = findCheckers(b, otherSide(side), e.checkers);
  e.count = generateEvasions(b, side, e.checkers, e.checkerCount, e.moves, stageMask);
  return e;
}

bool contains(const Move* moves, int n, int from, int to) {
  for (int i = 0; i < n; ++i)
    if (moves[i].from == from && moves[i].to == to) return true;
  return false;
}

TEST(Evasions, AHorseCheckIsBlockedOnItsLegOnly) {
  // Red horse on 0x56 checks the black king on 0x37 over the leg 0x46.
  auto b = boardFromFen("4k4/r8/3N5/9/9/9/9/9/9/3K5 b");
  const Evasions e = evasionsOf(*b, EVADE_BLOCK);
  ASSERT_EQ(e.checkerCount, 1);
  ASSERT_GT(e.count, 0);
  for (int i = 0; i < e.count; ++i) EXPECT_EQ(e.moves[i].to, 0x46);
}

TEST(Evasions, PawnChecksHaveNoBlocks) {
  auto b = boardFromFen("4k4/4P4/r8/9/9/9/9/9/9/3K5 b");
  const Evasions e = evasionsOf(*b, EVADE_BLOCK);
  ASSERT_EQ(e.checkerCount, 1);
  EXPECT_EQ(e.count, 0);
}

TEST(Evasions, ACannonCheckOffersTheScreensMovesAndASecondScreen) {
  // Red cannon 0x87, black horse screen 0x57, black rook 0x63 can reach 0x67.
  auto b = boardFromFen("4k4/9/4n4/r8/3P5/4C4/9/9/9/3K5 b");
  const Evasions e = evasionsOf(*b, EVADE_BLOCK);
  ASSERT_EQ(e.checkerCount, 1);
  EXPECT_TRUE(contains(e.moves, e.count, 0x57, 0x76));  // the screen captures away
  EXPECT_TRUE(contains(e.moves, e.count, 0x57, 0x45));  // the screen steps away
  EXPECT_TRUE(contains(e.moves, e.count, 0x63, 0x67));  // a second screen
  EXPECT_FALSE(contains(e.moves, e.count, 0x63, 0x73));  // a rook move off the line
}

TEST(Evasions, DoubleCheckAnswersTheFirstCheckerAndEveryKingStep) {
  // Red rook 0x3B along the rank and red horse 0x56 both check 0x37.
  auto b = boardFromFen("4k3R/9/3N5/9/9/9/9/9/9/3K5 b");
  const Evasions king = evasionsOf(*b, EVADE_KING);
  ASSERT_EQ(king.checkerCount, 2);
  EXPECT_EQ(king.checkers[0].from, 0x3B);  // rank pieces come before horses
  EXPECT_EQ(sorted(keys(king.moves, king.count)),
            sorted({key(moveFromTo(0x37, 0x38)), key(moveFromTo(0x37, 0x47)),
                    key(moveFromTo(0x37, 0x36))}));
  const Evasions all = evasionsOf(*b, EVADE_ALL);
  std::vector<int> legal;
  for (int i = 0; i < all.count; ++i)
    if (!b->leavesKingAttacked(all.moves[i], BLACK)) legal.push_back(key(all.moves[i]));
  EXPECT_EQ(sorted(legal), legalKeys(*b));
}

TEST(KingsFacing, OnlyOnAnOpenFile) {
  auto open = boardFromFen("4k4/9/9/9/9/9/9/9/9/4K4 w");
  Move m;
  EXPECT_TRUE(kingsFacing(*open, RED, &m));
  EXPECT_TRUE(m.from == 0xC7 && m.to == 0x37);
  EXPECT_TRUE(kingsFacing(*open, BLACK, &m));
  EXPECT_TRUE(m.from == 0x37 && m.to == 0xC7);
  auto screened = boardFromFen("4k4/9/9/9/4p4/9/9/9/9/4K4 w");
  EXPECT_FALSE(kingsFacing(*screened, RED, &m));
  EXPECT_TRUE(isNullMove(m));
  // No generator of ordinary moves offers a king capture.
  Move moves[MAX_MOVES];
  const int n = generateAllMoves(*open, RED, moves);
  EXPECT_FALSE(contains(moves, n, 0xC7, 0x37));
}

TEST(QuietChecks, DiscoveredHorseCheckLeavesOutTheSquaresNextToTheKing) {
  // Red cannon 0x48 stands on the leg of the red horse 0x49.
  auto b = boardFromFen("4k4/5CN2/9/9/9/9/9/9/9/3K5 w");
  Move moves[MAX_MOVES];
  const int n = generateQuietChecks(*b, RED, moves, QUIET_CHECKS_WITH_HORSES);
  EXPECT_TRUE(contains(moves, n, 0x48, 0x58));
  EXPECT_TRUE(contains(moves, n, 0x48, 0x46));
  EXPECT_FALSE(contains(moves, n, 0x48, 0x38));
  EXPECT_FALSE(contains(moves, n, 0x48, 0x47));
  // Without the horse bit neither the horse nor its uncovering is produced.
  const int plain = generateQuietChecks(*b, RED, moves, 0);
  for (int i = 0; i < plain; ++i) EXPECT_NE(moves[i].from, 0x49);
  EXPECT_FALSE(contains(moves, plain, 0x48, 0x58));
}

TEST(QuietChecks, BothHorsesOnOneCornerProduceTheUncoveringOnce) {
  // Red horses on 0x49 and 0x58 both use the leg 0x48, where a red rook stands.
  auto b = boardFromFen("4k4/5RN2/5N3/9/9/9/9/9/9/3K5 w");
  Move moves[MAX_MOVES];
  const int n = generateQuietChecks(*b, RED, moves, QUIET_CHECKS_WITH_HORSES);
  EXPECT_FALSE(hasDuplicates(keys(moves, n)));
  EXPECT_TRUE(contains(moves, n, 0x48, 0x46));
}

TEST(QuietChecks, ScreensAndDiscoveriesAreNeverCaptures) {
  // Red rook 0x87 behind its own horse 0x57 (a discovery) and a red rook on
  // 0xCB ready to slide onto the king's rank.
  auto b = boardFromFen("4k4/9/4N4/2p6/9/4R4/9/9/9/3K4R w");
  Move moves[MAX_MOVES];
  const int n = generateQuietChecks(*b, RED, moves, QUIET_CHECKS_WITH_HORSES);
  for (int i = 0; i < n; ++i) EXPECT_EQ(b->squares[moves[i].to], EMPTY);
  EXPECT_TRUE(contains(moves, n, 0x57, 0x45));   // the horse uncovers the cannon
  EXPECT_FALSE(contains(moves, n, 0x57, 0x65));  // a capture, never offered
  EXPECT_TRUE(contains(moves, n, 0xCB, 0x3B));   // rook to the king's rank
}

// Rook on 0x75 with a red horse above (0x45), a red cannon below (0xA5) and
// a red pawn to its right (0x79); nothing to its left.
constexpr const char* ROOK_ORDER_FEN = "4k4/2N6/9/9/2r3P2/9/9/2C6/9/3K5 b";

std::vector<int> rookMoves(const Move* moves, int n) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i)
    if (moves[i].from == 0x75) out.push_back(moves[i].to);
  return out;
}

TEST(Order, RookMovesFileFirstInTheSideWideWalk) {
  auto b = boardFromFen(ROOK_ORDER_FEN);
  Move moves[MAX_MOVES];
  EXPECT_EQ(rookMoves(moves, generateAllMoves(*b, BLACK, moves)),
            (std::vector<int>{0xA5, 0x45, 0x55, 0x65, 0x85, 0x95, 0x79, 0x73, 0x74, 0x76,
                              0x77, 0x78}));
  // Captures: forward along the file first (towards red for black).
  EXPECT_EQ(rookMoves(moves, generateCaptures(*b, BLACK, moves)),
            (std::vector<int>{0xA5, 0x45, 0x79}));
  EXPECT_EQ(rookMoves(moves, generateQuiets(*b, BLACK, moves)),
            (std::vector<int>{0x55, 0x65, 0x85, 0x95, 0x73, 0x74, 0x76, 0x77, 0x78}));
  // countMoves takes the rank first.
  EXPECT_EQ(rookMoves(moves, countMoves(*b, BLACK, moves)),
            (std::vector<int>{0x79, 0x73, 0x74, 0x76, 0x77, 0x78, 0xA5, 0x45, 0x55, 0x65,
                              0x85, 0x95}));
  // The same piece square by square, by mask.
  EXPECT_EQ(rookMoves(moves, generateMovesFrom(*b, 0x75, moves, MASK_RANK)),
            (std::vector<int>{0x79, 0x73, 0x74, 0x76, 0x77, 0x78}));
  EXPECT_EQ(rookMoves(moves, generateQuietsFrom(*b, 0x75, moves, MASK_FILE)),
            (std::vector<int>{0x55, 0x65, 0x85, 0x95}));
}

TEST(Order, PiecesInIndexOrderAndEmptySquaresGiveNothing) {
  auto b = boardFromFen(START_FEN);
  Move moves[MAX_MOVES];
  const int n = generateAllMoves(*b, RED, moves);
  for (int i = 1; i < n; ++i)
    EXPECT_LE(b->squares[moves[i - 1].from], b->squares[moves[i].from]);
  EXPECT_EQ(generateMovesFrom(*b, 0x77, moves, MASK_ALL), 0);
  EXPECT_EQ(generateQuietsFrom(*b, 0x77, moves, MASK_ALL), 0);
  // An empty target: cannon slides arrive, cannon captures do not.
  const int to = generateMovesTo(*b, 0x9A, RED, moves, MASK_ALL);
  EXPECT_TRUE(contains(moves, to, 0xAA, 0x9A));
  const int onto = generateMovesTo(*b, 0x3A, RED, moves, MASK_ALL);  // black horse
  EXPECT_TRUE(contains(moves, onto, 0xAA, 0x3A));
  EXPECT_EQ(onto, 1);
}

}  // namespace
}  // namespace movegentest
