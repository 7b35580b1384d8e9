// The transposition table: sizing, probe codes, the replacement rules, mate
// bounds, aging, and the spare entries behind the addressable ones.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "board/board.h"
#include "board/tables.h"
#include "config/searchoptions.h"
#include "search/hash/tt.h"
#include "search/searchstate.h"

namespace {

constexpr int SMALL_BITS = 4;  // 16 entries: collisions are easy to make

ZobristKey makeKey(uint32_t high, uint32_t low) { return (ZobristKey(high) << 32) | low; }

// A small, cleared table and a Board whose current key the test chooses.
class TransTable : public ::testing::Test {
 protected:
  void SetUp() override {
    buildPieceTables();
    board.reset(new Board);
    board->init();
    ASSERT_EQ(allocateHash(SMALL_BITS), SMALL_BITS);
    clearHash();
    stopRequested = 0;
    searchOptions.alwaysReplace = 0;
  }
  void TearDown() override {
    freeHash();
    stopRequested = 0;
    searchOptions.alwaysReplace = 0;
  }
  void at(ZobristKey key) { board->currentPly->zobrist = key; }
  int probe(int depth, int alpha, int beta, int* code, Move* move = nullptr, bool shallow = false) {
    Move m;
    const int s = probeHash(*board, depth, alpha, beta, move ? move : &m, code, shallow);
    return s;
  }
  // The whole table including the four spares.
  std::vector<HashEntry> image() {
    const HashEntry* base = hashEntryFor(0);
    return std::vector<HashEntry>(base, base + hashEntryCount() + 4);
  }
  std::unique_ptr<Board> board;
};

TEST(TransTableSize, BitsOfTheLargestTableThatFits) {
  EXPECT_EQ(hashSizeBits(16), 20);
  EXPECT_EQ(hashSizeBits(1), 20);  // small requests count as 16 MB
  EXPECT_EQ(hashSizeBits(0), 20);
  EXPECT_EQ(hashSizeBits(-5), 20);
  EXPECT_EQ(hashSizeBits(4), 18);
  EXPECT_EQ(hashSizeBits(32), 21);
  EXPECT_EQ(hashSizeBits(48), 22);  // exactly 2^22 entries
  EXPECT_EQ(hashSizeBits(1024), 26);
}

TEST_F(TransTable, AllocationAndClearing) {
  EXPECT_EQ(hashEntryCount(), 16u);
  for (const HashEntry& e : image()) {
    EXPECT_EQ(e.lock, 0u);
    EXPECT_EQ(e.depth, -128);
    EXPECT_EQ(e.moveFrom | e.moveTo | e.bound | e.age | e.score, 0);
  }
  EXPECT_EQ(allocateHash(hashSizeBits(16)), 20);
  EXPECT_EQ(hashEntryCount(), 1u << 20);
  EXPECT_EQ(hashEntryFor(makeKey(1, 0xFFFFFFFF)), hashEntryFor(0) + (1 << 20) - 1);
  nextGeneration();
  clearHash();
  EXPECT_EQ(hashGeneration(), 0);
}

TEST_F(TransTable, ProbeCodes) {
  const ZobristKey k = makeKey(0xABCD, 5);
  at(k);
  int code = -1;
  Move move;
  EXPECT_EQ(probe(3, -100, 100, &code, &move), NO_SCORE);
  EXPECT_EQ(code, 4);
  EXPECT_TRUE(isNullMove(move));

  storeHash(*board, 6, 40, BOUND_EXACT, moveFromTo(0x37, 0x47));
  EXPECT_EQ(probe(6, -100, 100, &code, &move), 40);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(move.from, 0x37);
  EXPECT_EQ(move.to, 0x47);
  EXPECT_EQ(move.score, 32766);
  EXPECT_EQ(probe(7, -100, 100, &code, &move), NO_SCORE);
  EXPECT_EQ(code, 3);
  EXPECT_EQ(move.to, 0x47);  // the move comes back even from a shallow entry
  // Probes of depth 2 or less use the entry only when allowed to.
  EXPECT_EQ(probe(2, -100, 100, &code), NO_SCORE);
  EXPECT_EQ(code, 3);
  EXPECT_EQ(probe(2, -100, 100, &code, nullptr, true), 40);
  EXPECT_EQ(code, 0);

  at(makeKey(0xABCE, 6));
  storeHash(*board, 6, 70, BOUND_LOWER, NULL_MOVE);
  EXPECT_EQ(probe(5, -100, 70, &code), 70);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(probe(5, -100, 71, &code), NO_SCORE);
  EXPECT_EQ(code, 2);

  at(makeKey(0xABCF, 7));
  storeHash(*board, 6, -30, BOUND_UPPER, NULL_MOVE);
  EXPECT_EQ(probe(5, -30, 100, &code), -30);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(probe(5, -31, 100, &code), NO_SCORE);
  EXPECT_EQ(code, 2);
}

TEST_F(TransTable, StoreWhileStoppingChangesNothing) {
  at(makeKey(7, 3));
  storeHash(*board, 4, 10, BOUND_EXACT, moveFromTo(0x33, 0x34));
  const std::vector<HashEntry> before = image();
  stopRequested = 1;
  storeHash(*board, 9, 99, BOUND_EXACT, moveFromTo(0x35, 0x36));
  at(makeKey(8, 4));
  storeHash(*board, 9, 99, BOUND_EXACT, moveFromTo(0x35, 0x36));
  const std::vector<HashEntry> after = image();
  EXPECT_EQ(std::memcmp(before.data(), after.data(), before.size() * sizeof(HashEntry)), 0);
}

TEST_F(TransTable, MateBoundsSatisfyEveryDepth) {
  int code;
  at(makeKey(11, 1));
  storeHash(*board, 3, MATE - 7, BOUND_LOWER, NULL_MOVE);
  EXPECT_EQ(hashEntryFor(board->currentPly->zobrist)->depth, 114);
  for (int depth = 0; depth <= 114; ++depth) {
    EXPECT_EQ(probe(depth, 0, 500, &code, nullptr, true), MATE - 7) << depth;
    EXPECT_EQ(code, 1) << depth;
  }
  EXPECT_EQ(probe(115, 0, 500, &code), NO_SCORE);

  at(makeKey(12, 2));
  storeHash(*board, 2, -MATE_BOUND, BOUND_UPPER, NULL_MOVE);
  EXPECT_EQ(hashEntryFor(board->currentPly->zobrist)->depth, 114);
  at(makeKey(13, 3));
  storeHash(*board, 2, MATE_BOUND, BOUND_EXACT, NULL_MOVE);
  EXPECT_EQ(hashEntryFor(board->currentPly->zobrist)->depth, 114);
  // A mate score on the unproven side of its bound keeps its depth.
  at(makeKey(14, 4));
  storeHash(*board, 2, MATE - 3, BOUND_UPPER, NULL_MOVE);
  EXPECT_EQ(hashEntryFor(board->currentPly->zobrist)->depth, 2);
  at(makeKey(15, 5));
  storeHash(*board, 2, MATE_BOUND - 1, BOUND_LOWER, NULL_MOVE);
  EXPECT_EQ(hashEntryFor(board->currentPly->zobrist)->depth, 2);
}

TEST_F(TransTable, PositionsSharingASlotOverwriteEachOther) {
  const ZobristKey a = makeKey(100, 9), b = makeKey(200, 9 + 16);  // same index
  ASSERT_EQ(hashEntryFor(a), hashEntryFor(b));
  int code;
  at(a);
  storeHash(*board, 20, 300, BOUND_EXACT, moveFromTo(0x44, 0x45));
  at(b);
  storeHash(*board, 1, -5, BOUND_UPPER, moveFromTo(0x55, 0x56));
  Move move;
  EXPECT_EQ(probe(1, -5, 10, &code, &move, true), -5);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(move.from, 0x55);
  at(a);
  EXPECT_EQ(probe(1, -10, 10, &code, &move, true), NO_SCORE);
  EXPECT_EQ(code, 4);
  EXPECT_TRUE(isNullMove(move));
}

TEST_F(TransTable, GenerationWrapsAfterSixteenSearches) {
  at(makeKey(3, 3));
  storeHash(*board, 5, 10, BOUND_EXACT, NULL_MOVE);
  const HashEntry& e = *hashEntryFor(board->currentPly->zobrist);
  EXPECT_FALSE(shouldReplace(e, 5, BOUND_EXACT, 10));
  nextGeneration();
  EXPECT_TRUE(shouldReplace(e, 5, BOUND_UPPER, 10));  // one search old
  for (int i = 1; i < 15; ++i) nextGeneration();
  EXPECT_EQ(hashGeneration(), 15);
  EXPECT_TRUE(shouldReplace(e, -9, BOUND_UPPER, 10));  // 15 old: depth -10
  EXPECT_FALSE(shouldReplace(e, -11, BOUND_UPPER, 10));
  nextGeneration();
  EXPECT_EQ(hashGeneration(), 0);
  EXPECT_FALSE(shouldReplace(e, 5, BOUND_UPPER, 10));  // current again
  // A store stamps the generation.
  nextGeneration();
  storeHash(*board, 9, 10, BOUND_EXACT, NULL_MOVE);
  EXPECT_EQ(e.age, 1);
}

TEST_F(TransTable, ReplacementRules) {
  const struct {
    int entryDepth, entryBound, entryScore, age;  // age: searches since the store
    int depth, bound, score;
    bool replace;
  } cases[] = {
      {5, BOUND_EXACT, 0, 0, 6, BOUND_UPPER, 0, true},     // deeper result
      {5, BOUND_UPPER, 0, 0, 4, BOUND_LOWER, 0, true},     // shallower, better bound
      {5, BOUND_LOWER, 0, 0, 4, BOUND_EXACT, 0, true},
      {5, BOUND_LOWER, 0, 0, 4, BOUND_LOWER, 50, false},   // shallower, same bound
      {5, BOUND_EXACT, 0, 0, 4, BOUND_EXACT, 0, false},
      {5, BOUND_LOWER, 0, 0, 4, BOUND_UPPER, 0, false},
      {5, BOUND_EXACT, 0, 2, 4, BOUND_UPPER, 0, true},     // aged below the new depth
      {5, BOUND_EXACT, 0, 1, 4, BOUND_UPPER, 0, false},    // aged to equal depth, exact kept
      {5, BOUND_LOWER, 0, 0, 5, BOUND_EXACT, 0, true},     // equal depth
      {5, BOUND_UPPER, 0, 0, 5, BOUND_LOWER, 0, true},
      {5, BOUND_LOWER, 0, 0, 5, BOUND_UPPER, 0, true},
      {5, BOUND_EXACT, 0, 0, 5, BOUND_LOWER, 0, false},
      {5, BOUND_EXACT, 0, 0, 5, BOUND_UPPER, 0, false},
      {5, BOUND_UPPER, 20, 0, 5, BOUND_UPPER, 19, true},   // tighter upper bound
      {5, BOUND_UPPER, 20, 0, 5, BOUND_UPPER, 20, false},
      {5, BOUND_UPPER, 20, 0, 5, BOUND_UPPER, 21, false},
      {5, BOUND_LOWER, 20, 0, 5, BOUND_LOWER, 21, true},   // tighter lower bound
      {5, BOUND_LOWER, 20, 0, 5, BOUND_LOWER, 20, false},
      {5, BOUND_LOWER, 20, 0, 5, BOUND_LOWER, 19, false},
      {5, BOUND_EXACT, 20, 0, 5, BOUND_EXACT, 30, false},
  };
  for (const auto& c : cases) {
    clearHash();
    for (int g = 0; g < 16 - c.age; ++g) nextGeneration();  // store at generation -age
    HashEntry e{1, static_cast<int16_t>(c.entryDepth), static_cast<int16_t>(c.entryScore), 0, 0,
                static_cast<uint8_t>(c.entryBound), static_cast<uint8_t>(hashGeneration())};
    for (int g = 0; g < c.age; ++g) nextGeneration();
    EXPECT_EQ(shouldReplace(e, c.depth, c.bound, c.score), c.replace)
        << "entry " << c.entryDepth << "/" << c.entryBound << "/" << c.entryScore << " age "
        << c.age << ", new " << c.depth << "/" << c.bound << "/" << c.score;
  }
}

TEST_F(TransTable, SamePositionStoreFollowsTheRulesAndTheMoveTable) {
  const ZobristKey k = makeKey(77, 1);
  at(k);
  HashEntry& e = *hashEntryFor(k);
  // Refused by the replacement rule: nothing changes, the move included.
  storeHash(*board, 8, 10, BOUND_EXACT, moveFromTo(0x33, 0x34));
  storeHash(*board, 3, 99, BOUND_UPPER, moveFromTo(0x35, 0x36));
  EXPECT_EQ(e.depth, 8);
  EXPECT_EQ(e.score, 10);
  EXPECT_EQ(e.moveTo, 0x34);

  // With every store admitted, the move follows its own table:
  // [stored deeper][stored bound][new bound].
  const bool replaces[2][3][3] = {
      {{1, 1, 0}, {1, 1, 1}, {1, 1, 1}},
      {{1, 1, 0}, {1, 1, 0}, {1, 1, 1}},
  };
  searchOptions.alwaysReplace = 1;
  for (int deeper = 0; deeper < 2; ++deeper)
    for (int oldBound = 0; oldBound < 3; ++oldBound)
      for (int newBound = 0; newBound < 3; ++newBound) {
        e = HashEntry{77, static_cast<int16_t>(deeper ? 9 : 5), 0, 0x40, 0x41,
                      static_cast<uint8_t>(oldBound), 0};
        storeHash(*board, 5, 1, newBound, moveFromTo(0x50, 0x51));
        EXPECT_EQ(e.moveTo == 0x51, replaces[deeper][oldBound][newBound])
            << deeper << oldBound << newBound;
        EXPECT_EQ(e.depth, 5);
        EXPECT_EQ(e.bound, newBound);
        EXPECT_EQ(e.score, 1);
      }
}

TEST_F(TransTable, SpareEntriesAreNeverAddressed) {
  std::mt19937 rng(5);
  for (int i = 0; i < 5000; ++i) {
    at(makeKey(rng() | 1, rng()));
    storeHash(*board, static_cast<int>(rng() % 20), static_cast<int>(rng() % 2000) - 1000,
              static_cast<int>(rng() % 3), moveFromTo(0x33, 0x34));
    int code;
    probe(static_cast<int>(rng() % 20), -50, 50, &code);
  }
  const std::vector<HashEntry> all = image();
  for (size_t i = hashEntryCount(); i < all.size(); ++i) {
    EXPECT_EQ(all[i].lock, 0u);
    EXPECT_EQ(all[i].depth, -128);
  }
}

TEST_F(TransTable, StartUpScanReportsOddDepths) {
  ::testing::internal::CaptureStderr();
  checkHashTable(10);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

  HashEntry* base = hashEntryFor(0);
  base[3] = HashEntry{5, -50, 0, 0, 0, 0, 0};    // below -10
  base[16 + 2] = HashEntry{6, 120, 0, 0, 0, 0, 0};  // a spare, too deep
  ::testing::internal::CaptureStderr();
  checkHashTable(10);
  const std::string out = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(out.find("-50"), std::string::npos) << out;
  EXPECT_NE(out.find("120"), std::string::npos) << out;

  base[3].depth = -5;
  base[16 + 2].depth = 115;
  ::testing::internal::CaptureStderr();
  checkHashTable(10);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
