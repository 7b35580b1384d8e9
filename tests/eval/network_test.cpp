// The learned evaluation against its score worked out from the squares
// (tests/common/netfiles.h): every kernel variant this CPU runs, and the
// board's accumulators carried through moves, unmakes, null moves and copies.
#include "common/engine.h"
#include "common/netfiles.h"
#include "config/netfile.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"
#include "eval/netkernels.h"
#include "eval/netscore.h"

namespace {

struct NetworkTest : ::testing::Test {
  void SetUp() override { kit::useSyntheticTables(), searchOptions.useNetwork = 1; }
  void TearDown() override { unloadNetwork(), chooseNetKernels(), searchOptions = saved; }
  const SearchOptions saved = searchOptions;
};

::testing::AssertionResult matchesReference(const kit::TestNet& net, const Board& b) {
  const Accumulator& acc = currentAccumulator(b);
  for (int view = BLACK; view <= RED; ++view) {
    const std::vector<int64_t> ref = kit::referenceAccumulator(net, b, view);
    for (int i = 0; i < net.hidden; ++i)
      if (acc.view[view][i] != ref[i])
        return ::testing::AssertionFailure() << "view " << view << " value " << i << " at height " << b.height()
                                             << " in " << kit::toFen(b);
  }
  int threats = 0;  // with the net, no lazy exit even in a null window
  const int s = evaluate(b, 0, 0, 1, &threats), r = kit::referenceScore(net, b, EVAL_SCORE_LIMIT);
  if (s != r) return ::testing::AssertionFailure() << "score " << s << " for " << r << " in " << kit::toFen(b);
  return ::testing::AssertionSuccess();
}

// Fresh boards, each score built from the pieces: every variant gives the
// reference's numbers exactly, for one, three and sixteen registers of values
// and bucket counts that leave none unused; most scores lie within the limit.
TEST_F(NetworkTest, EveryKernelVariantComputesTheReferenceScore) {
  std::vector<std::string> fens;
  kit::randomGames(8, 120, 77, [&](Board& b) { fens.push_back(kit::toFen(b)); });
  std::mt19937 rng(3);
  while (fens.size() < 1600) fens.push_back(kit::randomPlacement(rng));
  int variants = 0;
  for (int set = 0; set < NET_KERNEL_SETS; ++set) {
    if (!netKernelsRunHere(set)) continue;
    netKernels = NET_KERNEL_VARIANTS[set], ++variants;
    for (const auto& [hidden, buckets] : {std::pair{16, 1}, std::pair{48, 5}, std::pair{256, 16}}) {
      const kit::TestNet net = kit::randomNet(hidden, buckets, unsigned(hidden + set));
      kit::loadTestNet(net);
      int within = 0, step = hidden / 16;
      for (size_t f = 0; f < fens.size(); f += step) {
        auto b = kit::boardFromFen(fens[f]);
        ASSERT_TRUE(matchesReference(net, *b)) << NET_KERNEL_VARIANTS[set].name << " H " << hidden;
        within += std::abs(networkScore(*b, EVAL_SCORE_LIMIT)) < EVAL_SCORE_LIMIT;
      }
      EXPECT_GT(within * step, int(fens.size()) * 9 / 10);
    }
  }
  EXPECT_EQ(variants, 1 + netKernelsRunHere(NET_KERNELS_SSE41) + netKernelsRunHere(NET_KERNELS_AVX2));
}

// Along random games long enough for the entries to wrap, scores asked for
// at irregular intervals (entries rebuilt from one or several plies back or
// from scratch), after a move and its unmake, a null move and its unmake, on
// a copy of the board, with its history trimmed or not.
TEST_F(NetworkTest, AccumulatorsFollowMovesUnmakesNullMovesAndCopies) {
  const kit::TestNet net = kit::randomNet(32, 4, 11);
  kit::loadTestNet(net);
  std::mt19937 rng(5);
  auto copy = kit::newBoard();
  const auto playAny = [&](Board& b) {
    const std::vector<Move> legal = kit::legalMoves(b);
    return !legal.empty() && !b.makeMove(legal[rng() % legal.size()]);
  };
  long checked = 0;
  kit::randomGames(12, 300, 9, [&](Board& b) {
    const unsigned roll = rng() % 12;
    checked += roll < 4;
    if (roll < 4) {
      ASSERT_TRUE(matchesReference(net, b));
    }
    if ((roll == 4 || roll == 5) && playAny(b)) {
      if (roll == 4) {
        EXPECT_TRUE(matchesReference(net, b));
      }
      b.unmakeMove();
      ASSERT_TRUE(matchesReference(net, b));
    }
    if (roll == 6 && !b.inCheck()) {
      b.makeNullMove();
      EXPECT_TRUE(matchesReference(net, b));
      b.unmakeNullMove();
      ASSERT_TRUE(matchesReference(net, b));
    }
    if (roll == 7 || roll == 8) {
      currentAccumulator(b);  // the source's entry computed: the copy must not take it
      copy->copyFrom(b);
      if (roll == 8) copy->trimHistory(int(rng() % 4));
      ASSERT_TRUE(matchesReference(net, *copy));
      if (playAny(*copy)) {
        ASSERT_TRUE(matchesReference(net, *copy));
      }
    }
  });
  EXPECT_GT(checked, 600);
}

}  // namespace
