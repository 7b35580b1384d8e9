// The transposition table's answers: probe codes by bound and depth, a
// foreign lock missed, proven mate bounds at every depth, mate distances from
// the node, nothing stored while stopping, and the spares never addressed.
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
  // The probe's score and code (and its move left in `move`).
  ::testing::AssertionResult probes(int depth, int alpha, int beta, bool shallow, int score, HashProbe code,
                                    int ply = 0) {
    HashProbe got = HASH_MISS;
    const int s = probeHash(*board, ply, depth, alpha, beta, &move, &got, shallow);
    if (s == score && got == code) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "score " << s << ", code " << got;
  }
  bool sameImage(const std::vector<HashEntry>& a, size_t from = 0) {
    return std::memcmp(&a[from], hashEntryFor(0) + from, (a.size() - from) * sizeof(HashEntry)) == 0;
  }
  std::vector<HashEntry> image() { return {hashEntryFor(0), hashEntryFor(0) + hashEntryCount() + 4}; }
  std::unique_ptr<Board> board = kit::newBoard();
  Move move;
};

TEST_F(TransTable, ProbesByBoundDepthAndMateDistanceStoresAndSpares) {
  at(0xABCD, 5);
  EXPECT_TRUE(probes(3, -100, 100, false, NO_SCORE, HASH_MISS) && isNullMove(move));
  storeHash(*board, 0, 6, 40, BOUND_EXACT, moveFromTo(0x37, 0x47));
  EXPECT_TRUE(probes(6, -100, 100, false, 40, HASH_EXACT) && sameMove(move, moveFromTo(0x37, 0x47)));
  EXPECT_TRUE(probes(7, -100, 100, false, NO_SCORE, HASH_SHALLOW) && move.to == 0x47);  // its move still counts
  EXPECT_TRUE(probes(2, -100, 100, false, NO_SCORE, HASH_SHALLOW)) << "depth 2 or less only when allowed";
  EXPECT_TRUE(probes(2, -100, 100, true, 40, HASH_EXACT));
  at(0xABCE, 6);  // a lower bound cuts at beta and above, an upper one at alpha and below
  storeHash(*board, 0, 6, 70, BOUND_LOWER, NULL_MOVE);
  EXPECT_TRUE(probes(5, -100, 70, false, 70, HASH_CUT));
  EXPECT_TRUE(probes(5, -100, 71, false, NO_SCORE, HASH_NO_CUT));
  at(0xABCF, 7);
  storeHash(*board, 0, 6, -30, BOUND_UPPER, NULL_MOVE);
  EXPECT_TRUE(probes(5, -30, 100, false, -30, HASH_CUT));
  EXPECT_TRUE(probes(5, -31, 100, false, NO_SCORE, HASH_NO_CUT));
  at(0x1234, 7 + 16);  // the same slot, another lock
  EXPECT_TRUE(probes(1, -10, 10, true, NO_SCORE, HASH_MISS) && isNullMove(move));
  at(11, 1);  // a proven mate bound serves every depth
  storeHash(*board, 0, 3, MATE - 7, BOUND_LOWER, NULL_MOVE);
  for (int depth = 0; depth <= 114; ++depth) EXPECT_TRUE(probes(depth, 0, 500, true, MATE - 7, HASH_CUT)) << depth;
  at(12, 2);
  storeHash(*board, 0, 2, -MATE_BOUND, BOUND_UPPER, NULL_MOVE);
  EXPECT_TRUE(probes(40, -MATE_BOUND, 0, false, -MATE_BOUND, HASH_CUT));
  // Mates keep their distance from the node: found 7 plies from the root at
  // ply 3, read at ply 5 it is 2 plies further from the root.
  at(14, 4);
  storeHash(*board, 3, 4, MATE - 7, BOUND_EXACT, NULL_MOVE);
  EXPECT_TRUE(probes(4, -MATE, MATE, true, MATE - 9, HASH_EXACT, 5));
  at(15, 5);
  storeHash(*board, 4, 4, 6 - MATE, BOUND_EXACT, NULL_MOVE);
  EXPECT_TRUE(probes(4, -MATE, MATE, true, 3 - MATE, HASH_EXACT, 1));
  at(13, 3);  // a mate score on the side of its bound that proves nothing
  storeHash(*board, 0, 2, MATE - 3, BOUND_UPPER, NULL_MOVE);
  EXPECT_TRUE(probes(3, MATE - 3, MATE, false, NO_SCORE, HASH_SHALLOW));
  // Nothing is stored while stopping, and the spares stay untouched.
  const std::vector<HashEntry> before = image();
  stopRequested = 1;
  at(8, 4);
  storeHash(*board, 0, 9, 99, BOUND_EXACT, moveFromTo(0x35, 0x36));
  EXPECT_TRUE(sameImage(before));
  stopRequested = 0;
  std::mt19937 rng(5);
  for (int i = 0; i < 5000; ++i) {
    at(rng() | 1, rng());
    storeHash(*board, 0, int(rng() % 20), int(rng() % 2000) - 1000, int(rng() % 3), moveFromTo(0x33, 0x34));
    (void)probes(int(rng() % 20), -50, 50, false, 0, HASH_MISS);
  }
  EXPECT_TRUE(sameImage(before, hashEntryCount()));
}

}  // namespace
