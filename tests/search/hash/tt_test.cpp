// The transposition table's answers: probe codes by bound and depth, a
// foreign lock missed, proven mate bounds at every depth, nothing stored
// while stopping, and the spare entries behind the table never addressed.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "common/engine.h"
#include "search/hash/tt.h"
#include "search/searchstate.h"

namespace {

class TransTable : public ::testing::Test {
 protected:
  void SetUp() override { stopRequested = 0; ASSERT_EQ(allocateHash(4), 4); }  // 16 slots
  void TearDown() override { freeHash(), stopRequested = 0; }
  void at(uint32_t high, uint32_t low) { board->currentPly->zobrist = (ZobristKey(high) << 32) | low; }
  // *code: 0 exact, 1 a bound that cuts, 2 one that does not, 3 too shallow, 4 no entry.
  int probe(int depth, int alpha, int beta, HashProbe* code, bool shallow = false) {
    return probeHash(*board, 0, depth, alpha, beta, &move, code, shallow);
  }
  bool sameImage(const std::vector<HashEntry>& a, size_t from = 0) {
    return std::memcmp(&a[from], hashEntryFor(0) + from, (a.size() - from) * sizeof(HashEntry)) == 0;
  }
  std::vector<HashEntry> image() { return {hashEntryFor(0), hashEntryFor(0) + hashEntryCount() + 4}; }
  std::unique_ptr<Board> board = kit::newBoard();
  Move move;
};

TEST_F(TransTable, ProbeAnswersByBoundAndDepth) {
  HashProbe code = HASH_MISS;
  at(0xABCD, 5);
  EXPECT_EQ(probe(3, -100, 100, &code), NO_SCORE);
  EXPECT_TRUE(code == 4 && isNullMove(move));
  storeHash(*board, 0, 6, 40, BOUND_EXACT, moveFromTo(0x37, 0x47));
  EXPECT_EQ(probe(6, -100, 100, &code), 40);
  EXPECT_TRUE(code == 0 && sameMove(move, moveFromTo(0x37, 0x47)));
  EXPECT_EQ(probe(7, -100, 100, &code), NO_SCORE);
  EXPECT_TRUE(code == 3 && move.to == 0x47) << "a shallow entry still gives its move";
  EXPECT_EQ(probe(2, -100, 100, &code), NO_SCORE) << "depth 2 or less only when allowed";
  EXPECT_EQ(probe(2, -100, 100, &code, true), 40);
  at(0xABCE, 6);  // a lower bound cuts at beta and above, an upper one at alpha and below
  storeHash(*board, 0, 6, 70, BOUND_LOWER, NULL_MOVE);
  EXPECT_EQ(probe(5, -100, 70, &code), 70);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(probe(5, -100, 71, &code), NO_SCORE);
  EXPECT_EQ(code, 2);
  at(0xABCF, 7);
  storeHash(*board, 0, 6, -30, BOUND_UPPER, NULL_MOVE);
  EXPECT_EQ(probe(5, -30, 100, &code), -30);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(probe(5, -31, 100, &code), NO_SCORE);
  EXPECT_EQ(code, 2);
  at(0x1234, 7 + 16);  // the same slot, another lock
  EXPECT_EQ(probe(1, -10, 10, &code, true), NO_SCORE);
  EXPECT_TRUE(code == 4 && isNullMove(move));
}

TEST_F(TransTable, ProvenMateBoundsServeEveryDepth) {
  HashProbe code;
  at(11, 1);
  storeHash(*board, 0, 3, MATE - 7, BOUND_LOWER, NULL_MOVE);
  for (int depth = 0; depth <= 114; ++depth) EXPECT_EQ(probe(depth, 0, 500, &code, true), MATE - 7) << depth;
  at(12, 2);
  storeHash(*board, 0, 2, -MATE_BOUND, BOUND_UPPER, NULL_MOVE);
  EXPECT_EQ(probe(40, -MATE_BOUND, 0, &code), -MATE_BOUND);
  // Mates keep their distance from the node: found 7 plies from the root at
  // ply 3, read at ply 5 it is 2 plies further from the root.
  at(14, 4);
  storeHash(*board, 3, 4, MATE - 7, BOUND_EXACT, NULL_MOVE);
  EXPECT_EQ(probeHash(*board, 5, 4, -MATE, MATE, &move, &code, true), MATE - 9);
  at(15, 5);
  storeHash(*board, 4, 4, 6 - MATE, BOUND_EXACT, NULL_MOVE);
  EXPECT_EQ(probeHash(*board, 1, 4, -MATE, MATE, &move, &code, true), 3 - MATE);
  at(13, 3);  // a mate score on the side of its bound that proves nothing
  storeHash(*board, 0, 2, MATE - 3, BOUND_UPPER, NULL_MOVE);
  EXPECT_EQ(probe(3, MATE - 3, MATE, &code), NO_SCORE);
  EXPECT_EQ(code, 3);
}

TEST_F(TransTable, NothingIsStoredWhileStoppingAndSparesStayUntouched) {
  const std::vector<HashEntry> before = image();
  stopRequested = 1;
  at(8, 4);
  storeHash(*board, 0, 9, 99, BOUND_EXACT, moveFromTo(0x35, 0x36));
  EXPECT_TRUE(sameImage(before));
  stopRequested = 0;
  std::mt19937 rng(5);
  HashProbe code;
  for (int i = 0; i < 5000; ++i) {
    at(rng() | 1, rng());
    storeHash(*board, 0, int(rng() % 20), int(rng() % 2000) - 1000, int(rng() % 3), moveFromTo(0x33, 0x34));
    probe(int(rng() % 20), -50, 50, &code);
  }
  EXPECT_TRUE(sameImage(before, hashEntryCount()));
}

}  // namespace
