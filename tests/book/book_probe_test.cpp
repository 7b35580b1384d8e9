// Probing the book: the key of the current position, only legal and
// unbanned moves, and an even draw among them.
#include <gtest/gtest.h>

#include <map>

#include "book/bookfiles.h"
#include "common/engine_tables.h"
#include "frontend/movetext.h"
#include "search/searchstate.h"

namespace {

using booktest::bookBytes;
using booktest::loadBytes;
using booktest::record;

Move mv(const char* text) { return textToMove(text); }

BookRecord recordFor(const Board& b, std::initializer_list<Move> moves) {
  const ZobristKey key = b.currentPly->zobrist;
  return record(keyHigh(key), keyLow(key), moves);
}

struct BookProbe : testing::Test {
  void TearDown() override { bannedMoveCount = 0; }
  TempDir dir;
};

TEST(BookDraw, EveryIndexComesUpEvenly) {
  EXPECT_EQ(drawBookIndex(0), 0);
  EXPECT_EQ(drawBookIndex(-3), 0);
  EXPECT_EQ(drawBookIndex(1), 0);
  seedBookRandom(7);
  const int draws = 17 * 2000;
  int counts[BOOK_MAX_MOVES] = {};
  for (int i = 0; i < draws; ++i) {
    const int k = drawBookIndex(BOOK_MAX_MOVES);
    ASSERT_GE(k, 0);
    ASSERT_LT(k, BOOK_MAX_MOVES);
    ++counts[k];
  }
  for (int c : counts) {
    EXPECT_GT(c, 2000 * 8 / 10);
    EXPECT_LT(c, 2000 * 12 / 10);
  }
  // The same seed, the same choices; repeated draws are not all alike.
  seedBookRandom(11);
  const int first = drawBookIndex(1000000);
  seedBookRandom(11);
  EXPECT_EQ(drawBookIndex(1000000), first);
  EXPECT_NE(drawBookIndex(1000000), first);
}

TEST_F(BookProbe, EmptyBookMisses) {
  createBookTable(BOOK_TABLE_BITS);
  resetBookHeader();
  auto board = enginetest::boardFromFen(START_FEN);
  BookRecord r;
  bool found = true;
  EXPECT_TRUE(isNullMove(probeBook(*board, 0, &r, &found)));
  EXPECT_FALSE(found);
}

TEST_F(BookProbe, OnlyLegalMovesAreDrawnAndDrawnEvenly) {
  auto board = enginetest::boardFromFen(START_FEN);
  const Move legal[] = {mv("h2e2"), mv("b0c2"), mv("c3c4")};
  BookRecord r = recordFor(*board, {mv("a0a5"),   // the rook cannot pass its pawn
                                    legal[0],
                                    mv("h9g7"),   // black's move, red to play
                                    moveFromTo(0x00, 0x01),  // off the board
                                    legal[1], mv("e0e2"),    // the king leaves its palace
                                    legal[2], mv("e3e3")});
  r.moves[1].score = 12;
  ASSERT_TRUE(loadBytes(dir, bookBytes({r})));
  std::map<int, int> counts;
  for (int i = 0; i < 3000; ++i) {
    BookRecord out;
    bool found = false;
    const Move m = probeBook(*board, 0, &out, &found);
    ASSERT_TRUE(found);
    ASSERT_EQ(out.moveCount, 3);
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(sameMove(out.moves[k], legal[k]));
    EXPECT_EQ(out.moves[0].score, 12);
    ASSERT_EQ(board->pvLines[0].count, 1);
    ASSERT_TRUE(sameMove(board->pvLines[0].moves[0], m));
    ++counts[m.from * 256 + m.to];
  }
  ASSERT_EQ(counts.size(), 3u);
  for (const auto& c : counts) {
    EXPECT_GT(c.second, 800);
    EXPECT_LT(c.second, 1200);
  }
  EXPECT_EQ(board->height(), 0) << "probing leaves the position as it was";
}

TEST_F(BookProbe, MovesTheRulesRefuseMiss) {
  // The elephant on g4 may not cross the river, and the rook on e1 shields
  // its king from the black rook: neither book move may be played.
  auto board = enginetest::boardFromFen("4k4/4r4/9/9/9/6B2/9/9/4R4/4K4 w");
  ASSERT_TRUE(loadBytes(dir, bookBytes({recordFor(*board, {mv("g4e6"), mv("e1a1")})})));
  BookRecord out;
  bool found = true;
  EXPECT_TRUE(isNullMove(probeBook(*board, 0, &out, &found)));
  EXPECT_FALSE(found);
  // With a single legal move the record always yields it.
  ASSERT_TRUE(loadBytes(dir, bookBytes({recordFor(*board, {mv("g4i6"), mv("e1e2")})})));
  for (int i = 0; i < 50; ++i) {
    EXPECT_TRUE(sameMove(probeBook(*board, 3, &out, &found), mv("e1e2")));
    EXPECT_TRUE(found);
    EXPECT_TRUE(sameMove(board->pvLines[3].moves[0], mv("e1e2")));
  }
}

TEST_F(BookProbe, BannedMovesAreNeverChosen) {
  auto board = enginetest::boardFromFen(START_FEN);
  ASSERT_TRUE(loadBytes(dir, bookBytes({recordFor(*board, {mv("h2e2"), mv("b2e2")})})));
  bannedMoves[0] = mv("h2e2");
  bannedMoveCount = 1;
  BookRecord out;
  bool found = false;
  for (int i = 0; i < 50; ++i) {
    EXPECT_TRUE(sameMove(probeBook(*board, 0, &out, &found), mv("b2e2")));
    EXPECT_EQ(out.moveCount, 1);
  }
  bannedMoves[1] = mv("b2e2");
  bannedMoveCount = 2;
  EXPECT_TRUE(isNullMove(probeBook(*board, 0, &out, &found)));
  EXPECT_FALSE(found);
}

TEST_F(BookProbe, UsesTheKeyOfTheCurrentPosition) {
  auto board = enginetest::boardFromFen(START_FEN);
  const BookRecord start = recordFor(*board, {mv("h2e2")});
  board->makeMove(mv("h2e2"));
  board->makeMove(mv("h9g7"));
  const BookRecord later = recordFor(*board, {mv("h0g2")});
  ASSERT_TRUE(loadBytes(dir, bookBytes({start, later})));
  BookRecord out;
  bool found = false;
  EXPECT_TRUE(sameMove(probeBook(*board, 0, &out, &found), mv("h0g2")));
  EXPECT_TRUE(found);
  board->makeMove(mv("h0g2"));
  EXPECT_TRUE(isNullMove(probeBook(*board, 0, &out, &found)));
  EXPECT_FALSE(found);
}

}  // namespace
