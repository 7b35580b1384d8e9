// The options and the ban list served in-process: what each setoption line
// changes, what a malformed one leaves alone, and the banmoves list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/engine_tables.h"
#include "frontend/gocommand.h"
#include "frontend/output.h"
#include "frontend/position.h"
#include "frontend/protocol.h"
#include "frontend/setoption.h"
#include "search/hash/tt.h"
#include "search/history.h"
#include "search/searchstate.h"

namespace {

class Options : public ::testing::Test {
 protected:
  void SetUp() override {
    board = enginetest::newBoard();
    buildHistoryTables();
    historyClear();
    stopRequested = 0;
    session = EngineSession{board.get(), setUpPosition(*board, START_FEN)};
    allocateHash(hashSizeBits(HASH_MIN_MB));
    clearHash();
    goClockInMilliseconds = false;
  }
  void TearDown() override {
    freeHash();
    goClockInMilliseconds = false;
    bannedMoveCount = 0;
  }
  // Serves a line and returns what it printed.
  std::vector<std::string> serve(const std::string& line) {
    startCapture();
    serveCommand(session, line.c_str());
    return stopCapture();
  }
  static uint64_t entriesFor(int sizeMb) { return uint64_t(1) << hashSizeBits(sizeMb); }

  std::unique_ptr<Board> board;
  EngineSession session{};
};

}  // namespace

TEST(HashSizeOption, ClampedToTheAdvertisedRangeAndZeroKeeps) {
  EXPECT_EQ(hashSizeOptionMb("64"), 64);
  EXPECT_EQ(hashSizeOptionMb("1"), 16);
  EXPECT_EQ(hashSizeOptionMb("1025"), 1024);
  EXPECT_EQ(hashSizeOptionMb("99999999999999999999"), 1024);
  for (const char* keeps : {"0", "", "64x", "-64", "x64", "6 4"})
    EXPECT_EQ(hashSizeOptionMb(keeps), 0) << keeps;
}

TEST_F(Options, HashSizeResizesTheTableInBothForms) {
  ASSERT_EQ(hashEntryCount(), entriesFor(16));
  EXPECT_TRUE(serve("setoption hashsize 64").empty());
  // 64 MB hold 2^22 entries of 12 bytes (48 MB): the largest power of two.
  EXPECT_EQ(hashEntryCount(), uint64_t(1) << 22);
  EXPECT_EQ(hashEntryCount(), entriesFor(64));
  serve("setoption hashsize 0");
  EXPECT_EQ(hashEntryCount(), entriesFor(64));
  serve("setoption name hashsize value 20");
  EXPECT_EQ(hashEntryCount(), entriesFor(20));
  serve("setoption hashsize 3");
  EXPECT_EQ(hashEntryCount(), entriesFor(16));
  for (const char* malformed :
       {"setoption hashsize", "setoption hashsize 64x", "setoption name hashsize 64",
        "setoption name hash size value 64", "setoption hashsize -64", "setoption  "}) {
    EXPECT_TRUE(serve(malformed).empty()) << malformed;
    EXPECT_EQ(hashEntryCount(), entriesFor(16)) << malformed;
  }
}

TEST_F(Options, ResizedTableIsEmpty) {
  storeHash(*board, 5, 77, BOUND_EXACT, moveFromTo(0x33, 0x34));
  ASSERT_EQ(hashEntryFor(board->currentPly->zobrist)->depth, 5);
  serve("setoption hashsize 17");
  EXPECT_NE(hashEntryFor(board->currentPly->zobrist)->lock,
            keyHigh(board->currentPly->zobrist));
}

TEST_F(Options, UseMillisecondsSwitchesTheClockUnit) {
  serve("setoption usemillisec true");
  EXPECT_TRUE(goClockInMilliseconds);
  for (const char* keeps : {"setoption usemillisec", "setoption usemillisec yes",
                            "setoption usemillisec TRUE", "setoption usemillisecs false"})
    serve(keeps);
  EXPECT_TRUE(goClockInMilliseconds);
  serve("setoption name usemillisec value false");
  EXPECT_FALSE(goClockInMilliseconds);
  serve("setoption name usemillisec value true");
  EXPECT_TRUE(goClockInMilliseconds);
}

TEST_F(Options, NewGameForgetsTheTableAndTheHistory) {
  const Move m = moveFromTo(0xC4, 0xA5);  // b0c2, a quiet horse move
  storeHash(*board, 5, 77, BOUND_EXACT, m);
  historyAdd(*board, 8, m);
  ASSERT_GT(historyScore(*board, m), 0);
  const uint64_t entries = hashEntryCount();
  EXPECT_TRUE(serve("setoption newgame").empty());
  EXPECT_NE(hashEntryFor(board->currentPly->zobrist)->lock, keyHigh(board->currentPly->zobrist));
  EXPECT_EQ(historyScore(*board, m), 0);
  EXPECT_EQ(hashEntryCount(), entries);
}

TEST_F(Options, OtherOptionsChangeNothingAndSayNothing) {
  for (const char* line : {"setoption batch true", "setoption pruning none",
                           "setoption name debug value true", "setoption selectivity large",
                           "setoption Hashsize 64", "setoption name", "setoption value 3",
                           "setoption \x01\x02 \xff"}) {
    EXPECT_TRUE(serve(line).empty()) << line;
    EXPECT_EQ(hashEntryCount(), entriesFor(16)) << line;
    EXPECT_FALSE(goClockInMilliseconds) << line;
  }
}

TEST_F(Options, BanMovesReadLikePositionMovesUntilThePosition) {
  EXPECT_TRUE(serve("banmoves h2e2 h0g2").empty());
  ASSERT_EQ(bannedMoveCount, 2);
  EXPECT_TRUE(isBannedMove(moveFromTo(0xAA, 0xA7)));  // h2e2
  EXPECT_FALSE(isBannedMove(moveFromTo(0xA4, 0xA7)));
  // A new list replaces the old one; the list ends at the first bad word.
  serve("banmoves b2e2 h2e2x h0g2");
  EXPECT_EQ(bannedMoveCount, 1);
  serve("banmoves a0a0 b2e2");
  EXPECT_EQ(bannedMoveCount, 0);
  serve("banmoves j9j9");
  EXPECT_EQ(bannedMoveCount, 0);
  // No more than the list holds.
  std::string many = "banmoves";
  for (int i = 0; i < MAX_BANNED_MOVES + 20; ++i) many += " h2e2";
  serve(many);
  EXPECT_EQ(bannedMoveCount, MAX_BANNED_MOVES);
  serve("banmoves h2e2");
  serve("position startpos moves h2e2");
  EXPECT_EQ(bannedMoveCount, 0);
  serve("banmoves h9g7");
  serve("position");
  EXPECT_EQ(bannedMoveCount, 0);
}
