// Several search threads in one process, and the table they share. Also run
// under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/engine.h"
#include "config/timemanager.h"
#include "search/hash/tt.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "search/thread.h"

namespace {

class Threads : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kit::useShippedScript();
    buildSearchTables();
    allocateHash(hashSizeBits(HASH_MIN_MB));
    timeManager.setDefaults();
  }
  static void TearDownTestSuite() { releaseSearchThreads(), freeHash(); }
};

TEST_F(Threads, HelpersSearchTheSameRootAndTheAnswerIsLegal) {
  ASSERT_EQ(setSearchThreads(0), 1);
  ASSERT_EQ(setSearchThreads(3), 3);
  int searched = 0;
  uint64_t helpers = 0;
  kit::randomGames(3, 60, 11, [&](Board& b) {
    if (b.height() % 15 != 7 || kit::legalMoves(b).size() < 2) return;
    const std::string before = kit::toFen(b);
    const ZobristKey key = b.currentPly->zobrist;
    SearchLimits limits = depthLimits(5);
    limits.useBook = false;
    searchGo(b, limits);
    ASSERT_GE(rootPv.count, 1) << before;
    EXPECT_TRUE(kit::isLegal(b, kit::moveText(rootPv.moves[0]))) << before;
    EXPECT_TRUE(kit::toFen(b) == before && b.currentPly->zobrist == key);
    // Every thread counted its own nodes. A helper may wake only after a
    // quick search has ended, so the helpers' share is judged over all.
    uint64_t helperNodes = 0;
    for (int i = 1; i < searchThreadCount(); ++i) helperNodes += searchThread(i).totalNodes();
    EXPECT_EQ(searchedNodes(), searchThread(0).totalNodes() + helperNodes);
    helpers += helperNodes;
    ++searched;
  });
  EXPECT_GE(searched, 5);
  EXPECT_GT(helpers, 0u);
  // A node limit counts the helpers' nodes too (only the main thread looks
  // at it: helpers run on while it waits for a core, so on a loaded machine
  // the count may go well past the limit).
  ASSERT_EQ(setSearchThreads(2), 2);
  auto start = kit::boardFromFen("r2akab2/1R1n5/2c1br3/4p3p/p1P2npc1/3N5/P3P1P1P/3CB1NC1/4A4/2BAKR3 w");
  SearchLimits limits;
  limits.nodes = 50000;
  searchGo(*start, limits);
  EXPECT_GE(searchedNodes(), 50000u);
  EXPECT_LT(searchedNodes(), 200000u);
  EXPECT_EQ(setSearchThreads(1), 1);
  EXPECT_EQ(searchThreadCount(), 1);
}

// Two threads store and probe the same small table: a probe that finds its
// key finds that key's own score and move, never a mix of two stores.
TEST_F(Threads, TableEntriesAreReadWholeOrNotAtAll) {
  ASSERT_EQ(allocateHash(6), 6);
  stopRequested = 0;  // a search ends with it set, and nothing is stored then
  std::atomic<int> mixed{0}, hits{0};
  // Eight positions per slot, with locks as random as real keys' are.
  std::mt19937 draw(3);
  uint32_t locks[8];
  for (uint32_t& lock : locks) lock = draw() | 1;
  const auto work = [&](unsigned seed) {
    auto board = kit::newBoard();
    std::mt19937 rng(seed);
    for (int i = 0; i < 200000; ++i) {
      const uint32_t high = locks[rng() % 8], low = rng() % 64;
      board->currentPly->zobrist = (ZobristKey(high) << 32) | low;
      const int score = static_cast<int>(high % 1000);
      const Move move = moveFromTo(0x33 + high % 9, 0x34 + high % 9);
      if (rng() % 2) {
        storeHash(*board, 0, 1 + static_cast<int>(rng() % 20), score, BOUND_EXACT, move);
        continue;
      }
      Move found = NULL_MOVE;
      HashProbe code = HASH_MISS;
      const int s = probeHash(*board, 0, 0, -MATE, MATE, &found, &code, true);
      if (code == HASH_MISS) continue;
      ++hits;
      if (!sameMove(found, move) || (code == HASH_EXACT && s != score)) ++mixed;
    }
  };
  std::thread other(work, 1u);
  work(2u);
  other.join();
  EXPECT_GT(hits.load(), 1000);
  EXPECT_EQ(mixed.load(), 0);
  allocateHash(hashSizeBits(HASH_MIN_MB));
}

}  // namespace
