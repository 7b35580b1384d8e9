// The static evaluation with the shipped script over positions of random
// games and random placements.
#include "common/engine.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"

namespace {

constexpr int WIDE = 30000;  // a window no score reaches

struct EvaluateTest : ::testing::Test {
  void SetUp() override {
    kit::useShippedScript();
    searchOptions.knowledgeLevel = 2;  // every term
  }
  void TearDown() override { searchOptions = saved; }
  const SearchOptions saved = searchOptions;

  static const std::vector<std::string>& positions() {
    static std::vector<std::string> fens;
    if (fens.empty()) {
      kit::randomGames(60, 120, 2024, [](Board& b) { fens.push_back(kit::toFen(b)); });
      std::mt19937 rng(31);
      while (fens.size() < 14000) fens.push_back(kit::randomPlacement(rng));
    }
    return fens;
  }
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
// files changes no score: every rule is written for both sides alike and the
// shipped grids are symmetric. Line threats count for the side that has
// them. Every score stays far from the mate range, and a lazy exit never
// returns a score inside the window. The side well ahead in material and
// placement scores well ahead; knowledge 0 and plies past the reach of king
// safety leave it out alike.
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
  EXPECT_GT(threatened, 3000);
  EXPECT_GT(lines, 150);
  EXPECT_GT(ahead, 1000);
}

// The side attacking a bare king gains king safety and threat counts. After
// a king is taken (possible deep in a search) nothing reads out of range and
// the score stays bounded, against the side without it.
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

}  // namespace
