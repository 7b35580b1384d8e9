// The learned evaluation against its score worked out from the squares
// (tests/common/netfiles): every kernel variant this CPU runs, and the
// board's accumulators carried along random games, through unmakes, null
// moves, copies and trimmed histories.
#include "common/engine.h"
#include "common/netfiles.h"
#include "config/netfile.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"
#include "eval/netkernels.h"
#include "eval/netscore.h"

namespace {

struct NetworkTest : ::testing::Test {
  void SetUp() override { kit::useSyntheticTables(); }
  void TearDown() override {
    unloadNetwork();
    chooseNetKernels();
    searchOptions = saved;
  }
  const SearchOptions saved = searchOptions;
};

::testing::AssertionResult matchesReference(const kit::TestNet& net, const Board& b) {
  const Accumulator& acc = currentAccumulator(b);
  for (int view = BLACK; view <= RED; ++view) {
    const std::vector<int64_t> ref = kit::referenceAccumulator(net, b, view);
    for (int i = 0; i < net.hidden; ++i)
      if (acc.view[view][i] != ref[i])
        return ::testing::AssertionFailure() << "view " << view << " value " << i << ": " << acc.view[view][i]
                                             << " for " << ref[i] << " at height " << b.height() << " in "
                                             << kit::toFen(b);
  }
  const int s = networkScore(b, EVAL_SCORE_LIMIT), r = kit::referenceScore(net, b, EVAL_SCORE_LIMIT);
  if (s != r) return ::testing::AssertionFailure() << "score " << s << " for " << r << " in " << kit::toFen(b);
  return ::testing::AssertionSuccess();
}

// Fresh boards, so each score is built from the pieces: every variant gives
// the reference's numbers exactly, over sizes of one, three and sixteen
// registers and bucket counts that leave no bucket unused. The nets clip
// on both sides and most scores lie within the limit.
TEST_F(NetworkTest, EveryKernelVariantComputesTheReferenceScore) {
  std::vector<std::string> fens;
  kit::randomGames(8, 120, 77, [&](Board& b) { fens.push_back(kit::toFen(b)); });
  std::mt19937 rng(3);
  while (fens.size() < 1600) fens.push_back(kit::randomPlacement(rng));
  int variants = 0;
  for (int set = 0; set < NET_KERNEL_SETS; ++set) {
    if (!netKernelsRunHere(set)) continue;
    ++variants;
    netKernels = NET_KERNEL_VARIANTS[set];
    for (const auto& [hidden, buckets] : {std::pair{16, 1}, std::pair{48, 5}, std::pair{256, 16}}) {
      const kit::TestNet net = kit::randomNet(hidden, buckets, unsigned(hidden + set));
      kit::loadTestNet(net);
      int within = 0;
      for (size_t f = 0; f < fens.size(); f += hidden == 256 ? 4 : 1) {
        auto b = kit::boardFromFen(fens[f]);
        ASSERT_TRUE(matchesReference(net, *b)) << NET_KERNEL_VARIANTS[set].name << " H " << hidden;
        within += std::abs(networkScore(*b, EVAL_SCORE_LIMIT)) < EVAL_SCORE_LIMIT;
      }
      EXPECT_GT(within, int(fens.size() / (hidden == 256 ? 4 : 1)) * 9 / 10);
    }
  }
  EXPECT_EQ(variants, 1 + netKernelsRunHere(NET_KERNELS_SSE41) + netKernelsRunHere(NET_KERNELS_AVX2));
}

// Along random games (long enough for the stack of entries to wrap), scores
// asked for at irregular intervals, so that entries are rebuilt from one or
// several plies back or from scratch: each equals the reference. So do the
// positions after a move and its unmake, a null move and its unmake, on a
// copy of the board and on a copy with its history trimmed.
TEST_F(NetworkTest, AccumulatorsFollowMovesUnmakesNullMovesAndCopies) {
  chooseNetKernels();
  const kit::TestNet net = kit::randomNet(32, 4, 11);
  kit::loadTestNet(net);
  std::mt19937 rng(5);
  auto copy = kit::newBoard();
  long checked = 0;
  kit::randomGames(12, 300, 9, [&](Board& b) {
    const unsigned roll = rng() % 12;
    if (roll < 4) {
      ASSERT_TRUE(matchesReference(net, b));
      ++checked;
    }
    if (roll == 4 || roll == 5) {
      const std::vector<Move> legal = kit::legalMoves(b);
      if (legal.empty()) return;
      ASSERT_FALSE(b.makeMove(legal[rng() % legal.size()]));
      if (roll == 4) {
        ASSERT_TRUE(matchesReference(net, b));
      }
      b.unmakeMove();
      ASSERT_TRUE(matchesReference(net, b));
    }
    if (roll == 6 && !b.inCheck()) {
      b.makeNullMove();
      ASSERT_TRUE(matchesReference(net, b));
      b.unmakeNullMove();
      ASSERT_TRUE(matchesReference(net, b));
    }
    if (roll == 7 || roll == 8) {
      currentAccumulator(b);  // the source's entry computed: the copy must not take it
      copy->copyFrom(b);
      if (roll == 8) copy->trimHistory(int(rng() % 4));
      const std::vector<Move> legal = kit::legalMoves(*copy);
      ASSERT_TRUE(matchesReference(net, *copy));
      if (legal.empty()) return;
      ASSERT_FALSE(copy->makeMove(legal[rng() % legal.size()]));
      ASSERT_TRUE(matchesReference(net, *copy));
    }
  });
  EXPECT_GT(checked, 600);
}

// With the switch and a net, evaluate is the net's score whatever the window
// (no lazy exits); without either it is the script's.
TEST_F(NetworkTest, TheSwitchPicksTheNetOnlyWhenLoaded) {
  const kit::TestNet net = kit::randomNet(32, 4, 21);
  std::mt19937 rng(8);
  int differs = 0;
  for (int i = 0; i < 200; ++i) {
    auto b = kit::boardFromFen(kit::randomPlacement(rng));
    int threats = 0;
    searchOptions.useNetwork = 0;
    const int script = evaluate(*b, 0, -30000, 30000, &threats);
    kit::loadTestNet(net);
    EXPECT_EQ(evaluate(*b, 0, -30000, 30000, &threats), script);
    searchOptions.useNetwork = 1;
    const int s = evaluate(*b, 0, 0, 1, &threats);
    EXPECT_EQ(s, kit::referenceScore(net, *b, EVAL_SCORE_LIMIT));
    differs += s != script;
    unloadNetwork();
    EXPECT_EQ(evaluate(*b, 0, -30000, 30000, &threats), script);
  }
  EXPECT_GT(differs, 150);
}

}  // namespace
