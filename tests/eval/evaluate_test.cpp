// The static evaluation with the shipped script over positions of random
// games and random placements; the learned evaluation against the trainer's
// integer score (tools/train/netfile.h, written apart from the engine), so
// that the trainer's nets play as trained: every kernel variant this CPU
// runs, and accumulators carried through moves, unmakes, null moves, copies.
#include <algorithm>

#include "common/engine.h"
#include "common/netfiles.h"
#include "config/netfile.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"
#include "eval/netkernels.h"
#include "eval/netscore.h"
#include "tune/netdata.h"

namespace {

constexpr int WIDE = 30000;  // a window no score reaches

// Positions of random games, then random placements.
const std::vector<std::string>& positions() {
  static std::vector<std::string> fens;
  if (fens.empty()) {
    kit::randomGames(60, 120, 2024, [](Board& b) { fens.push_back(kit::toFen(b)); });
    std::mt19937 rng(31);
    while (fens.size() < 14000) fens.push_back(kit::randomPlacement(rng));
  }
  return fens;
}

struct EvaluateTest : ::testing::Test {
  void SetUp() override { kit::useShippedScript(), searchOptions.knowledgeLevel = 2; }  // every term
  void TearDown() override { searchOptions = saved; }
  const SearchOptions saved = searchOptions;
};

int evalWide(const Board& b, int* threats) { return evaluate(b, 0, -WIDE, WIDE, threats); }

TEST_F(EvaluateTest, AttackTestAgreesWithTheWalk) {
  std::mt19937 rng(5);
  long attacked = 0, tests = 0;
  for (size_t f = 0; f < positions().size(); f += 7) {
    auto b = kit::boardFromFen(positions()[f]);
    for (int excluded : {int(NO_SQUARE), 0x33 + int(rng() % 10) * 16 + int(rng() % 9)})
      for (int sq = 0x33; sq <= 0xCB; ++sq)
        for (int side = BLACK; side <= RED && (sq & 15) >= 3 && (sq & 15) <= 11; ++side) {
          const bool expected = kit::attacked(*b, sq, side, excluded);
          ASSERT_EQ(isAttackedBy(*b, sq, side, excluded), expected)
              << positions()[f] << " square " << sq << " side " << side << " excluded " << excluded;
          attacked += expected, ++tests;
        }
  }
  EXPECT_GT(attacked, tests / 10);
}

// Swapping colours (ranks reversed, the other side to move) or reversing the
// files changes no score. Line threats count for the side that has them.
// Every score stays far from the mate range, and a lazy exit never returns a
// score inside the window. The side well ahead in material and placement
// scores well ahead; knowledge 0 and plies past the reach of king safety
// leave it out alike.
TEST_F(EvaluateTest, MirrorImagesAgreeAndScoresStayBoundedAndFavourTheSideAhead) {
  std::mt19937 rng(7);
  int threatened = 0, lines = 0, ahead = 0;
  for (const std::string& fen : positions()) {
    auto b = kit::boardFromFen(fen), c = kit::boardFromFen(kit::colourMirror(fen));
    auto f = kit::boardFromFen(kit::fileMirror(fen));
    int tb, tc, tf;
    const int full = evalWide(*b, &tb);
    ASSERT_EQ(evalWide(*c, &tc), full) << fen;
    ASSERT_EQ(evalWide(*f, &tf), full) << fen;
    ASSERT_TRUE(tc == tb && tf == tb) << fen;
    int16_t kb[2], kc[2];
    ASSERT_EQ(kingSafety(*b, RED, &kb[BLACK], &kb[RED]), kingSafety(*c, BLACK, &kc[BLACK], &kc[RED])) << fen;
    ASSERT_TRUE(kb[BLACK] == kc[RED] && kb[RED] == kc[BLACK]) << fen;
    const int redLines = lineThreats(*b, RED), blackLines = lineThreats(*b, BLACK);
    ASSERT_TRUE(redLines == lineThreats(*c, BLACK) && redLines >= 0 && blackLines >= 0) << fen;
    const int beyond = evaluate(*b, 40, -WIDE, WIDE, &tf);
    searchOptions.knowledgeLevel = 1;  // without line threats: the difference goes the threats' way
    const int withoutLines = evalWide(*b, &tc), own = (redLines - blackLines) * (b->sideToMove == RED ? 1 : -1);
    searchOptions.knowledgeLevel = 0;
    ASSERT_TRUE(evalWide(*b, &tc) == beyond && !tc && !tf) << fen;
    searchOptions.knowledgeLevel = 2;
    ASSERT_TRUE((full > withoutLines) == (own > 0) && (full < withoutLines) == (own < 0)) << fen;
    ASSERT_LE(std::abs(full), EVAL_SCORE_LIMIT) << fen;
    const int material = kit::fromScratch(*b).score;  // and placement
    ASSERT_TRUE(std::abs(material) < 900 || full * (material > 0 ? 1 : -1) > 300) << fen;
    ahead += std::abs(material) >= 900;
    for (int k = 0; k < 4; ++k) {
      const int alpha = int(rng() % (2 * NO_SCORE)) - NO_SCORE, beta = alpha + 1 + int(rng() % 2000);
      const int s = evaluate(*b, 0, alpha, beta, &tb);
      ASSERT_TRUE(std::abs(s) <= EVAL_SCORE_LIMIT && (s == full || s <= alpha || s >= beta))
          << fen << " " << s << " in " << alpha << ".." << beta;
    }
    threatened += kb[RED] > 0, lines += redLines + blackLines > 0;
  }
  EXPECT_TRUE(threatened > 3000 && lines > 150 && ahead > 1000) << threatened << " " << lines << " " << ahead;
}

// The side attacking a bare king gains king safety and threats. With a king
// taken (deep in a search) the score stays bounded, against the side without it.
TEST_F(EvaluateTest, AttackersGainAndALostKingLosesWithinBounds) {
  auto b = kit::boardFromFen("4k4/9/4N4/4C4/9/9/9/4R4/9/3K5 b");
  int16_t threats[2];
  EXPECT_GT(kingSafety(*b, RED, &threats[BLACK], &threats[RED]), 0);
  EXPECT_TRUE(threats[RED] > 0 && threats[BLACK] == 0);
  b = kit::boardFromFen("3k5/9/9/9/9/9/9/9/4A4/3RK4 w");
  ASSERT_FALSE(b->makeMove(moveFromTo(0xC6, 0x36)));
  int count = 0;
  const int s = evalWide(*b, &count);
  EXPECT_TRUE(s < 0 && s >= -EVAL_SCORE_LIMIT) << s;
}

struct NetworkTest : ::testing::Test {
  void SetUp() override { kit::useSyntheticTables(), searchOptions.useNetwork = 1; }
  void TearDown() override { unloadNetwork(), chooseNetKernels(), searchOptions = saved; }
  const SearchOptions saved = searchOptions;
};

// The accumulators against the sums of the trainer's inputs (the score alone
// would miss an error in a value clipped either way), then the score.
::testing::AssertionResult matchesReference(const net::IntNetwork& q, const Board& b) {
  net::Position p;
  tune::positionOf(b, &p);
  net::Inputs in;
  net::inputsOf(p, &in);
  const Accumulator& acc = currentAccumulator(b);
  for (int view = BLACK; view <= RED; ++view)
    for (int i = 0; i < q.hidden; ++i) {
      int sum = q.bias[i];
      for (int k = 0; k < in.count; ++k)
        sum += q.weight[size_t(in.index[view == b.sideToMove ? net::MOVER : net::OTHER][k]) * q.hidden + i];
      if (acc.view[view][i] != sum)
        return ::testing::AssertionFailure() << "view " << view << " value " << i << " at height " << b.height()
                                             << " in " << kit::toFen(b);
    }
  int threats = 0;  // with the net, no lazy exit even in a null window
  const int s = evaluate(b, 0, 0, 1, &threats);
  const int r = std::clamp(net::integerScore(q, p), -EVAL_SCORE_LIMIT, EVAL_SCORE_LIMIT);
  if (s != r) return ::testing::AssertionFailure() << "score " << s << " for " << r << " in " << kit::toFen(b);
  return ::testing::AssertionSuccess();
}

// Fresh boards, each score built from the pieces: every variant gives the
// trainer's numbers exactly, for one, three and sixteen registers of values
// and bucket counts that leave none unused; most scores lie within the limit.
TEST_F(NetworkTest, EveryKernelVariantComputesTheTrainersScore) {
  const std::vector<std::string>& fens = positions();
  int variants = 0;
  for (int set = 0; set < NET_KERNEL_SETS; ++set) {
    if (!netKernelsRunHere(set)) continue;
    netKernels = NET_KERNEL_VARIANTS[set], ++variants;
    for (const auto& [hidden, buckets] : {std::pair{16, 1}, std::pair{48, 5}, std::pair{256, 16}}) {
      const net::IntNetwork q = kit::randomNet(hidden, buckets, unsigned(hidden + set));
      kit::loadTestNet(q);
      int within = 0, checked = 0;
      for (size_t f = 0; f < fens.size(); f += hidden / 2, ++checked) {  // an eighth of them at H 16
        auto b = kit::boardFromFen(fens[f]);
        ASSERT_TRUE(matchesReference(q, *b)) << NET_KERNEL_VARIANTS[set].name << " H " << hidden;
        within += std::abs(networkScore(*b, EVAL_SCORE_LIMIT)) < EVAL_SCORE_LIMIT;
      }
      EXPECT_GT(within, checked * 9 / 10);
    }
  }
  EXPECT_EQ(variants, 1 + netKernelsRunHere(NET_KERNELS_SSE41) + netKernelsRunHere(NET_KERNELS_AVX2));
}

// Along random games long enough for the entries to wrap, scores asked for at
// irregular intervals (entries rebuilt from plies back or from scratch), after
// moves, null moves and their unmakes, on a copy with its history trimmed or not.
TEST_F(NetworkTest, AccumulatorsFollowMovesUnmakesNullMovesAndCopies) {
  const net::IntNetwork q = kit::randomNet(32, 4, 11);
  kit::loadTestNet(q);
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
      ASSERT_TRUE(matchesReference(q, b));
    }
    if ((roll == 4 || roll == 5) && playAny(b)) {
      if (roll == 4) {
        EXPECT_TRUE(matchesReference(q, b));
      }
      b.unmakeMove();
      ASSERT_TRUE(matchesReference(q, b));
    }
    if (roll == 6 && !b.inCheck()) {
      b.makeNullMove();
      EXPECT_TRUE(matchesReference(q, b));
      b.unmakeNullMove();
      ASSERT_TRUE(matchesReference(q, b));
    }
    if (roll == 7 || roll == 8) {
      currentAccumulator(b);  // the source's entry computed: the copy must not take it
      copy->copyFrom(b);
      if (roll == 8) copy->trimHistory(int(rng() % 4));
      ASSERT_TRUE(matchesReference(q, *copy));
      if (playAny(*copy)) {
        ASSERT_TRUE(matchesReference(q, *copy));
      }
    }
  });
  EXPECT_GT(checked, 600);
}

}  // namespace
