// The stages of evaluate: knowledge levels, ply reach, lazy exits, bounds,
// and the symmetry of the whole score under both mirrors.
#include "eval/evaltables.h"
#include "eval/support.h"

namespace evaltest {
namespace {

const std::vector<std::string>& positions() {
  static const std::vector<std::string> p = randomGamePositions(60, 120, 2024);
  return p;
}

int baseScore(const Board& b) { return b.currentPly->incrementalScore + evalterm::tempoBonus(); }

int kingSafetyOf(const Board& b, int* threats) {
  int16_t t[2];
  const int s = kingSafety(b, b.sideToMove, &t[BLACK], &t[RED]);
  *threats = t[b.sideToMove];
  return s;
}

int lineThreatsOf(const Board& b) {
  return lineThreats(b, b.sideToMove) - lineThreats(b, otherSide(b.sideToMove));
}

TEST(Evaluate, StagesFollowKnowledgeLevelAndPlyReach) {
  int checked = 0;
  for (size_t i = 0; i < positions().size(); i += 7) {
    auto b = boardFromFen(positions()[i]);
    int ksThreats;
    const int base = baseScore(*b);
    const int ks = kingSafetyOf(*b, &ksThreats);
    const int lines = lineThreatsOf(*b);
    int threats;
    {
      EvalSettings level(0, 0);
      EXPECT_EQ(evalWide(*b, 0, &threats), base);
      EXPECT_EQ(threats, 0);
    }
    {
      EvalSettings level(1, 0);
      EXPECT_EQ(evalWide(*b, 0, &threats), base + ks);
      EXPECT_EQ(threats, ksThreats);
    }
    {
      EvalSettings level(2, 4);
      for (int ply = 0; ply <= 6; ++ply) {
        EXPECT_EQ(evalWide(*b, ply, &threats), base + ks + lines) << "ply " << ply;
        EXPECT_EQ(threats, ksThreats);
      }
      for (int ply = 7; ply <= 10; ++ply) {
        EXPECT_EQ(evalWide(*b, ply, &threats), base + ks) << "ply " << ply;
        EXPECT_EQ(threats, ksThreats);
      }
      for (int ply = 11; ply <= 14; ++ply) {
        EXPECT_EQ(evalWide(*b, ply, &threats), base) << "ply " << ply;
        EXPECT_EQ(threats, 0);
      }
    }
    ++checked;
  }
  EXPECT_GT(checked, 500);
}

TEST(Evaluate, LazyExitsTakeTheBoundaryAndMoveTowardsTheWindow) {
  buildTables();
  const int m1 = evalterm::lazyMarginMaterial(), m2 = evalterm::lazyMarginKingSafety(),
            m3 = evalterm::lazyMarginLines();
  ASSERT_GT(m3, 0);
  EvalSettings level(2, 0);
  for (size_t i = 0; i < positions().size(); i += 53) {
    auto b = boardFromFen(positions()[i]);
    const int s = baseScore(*b);
    int threats = -1;
    // First exit, at equality, both ways; one point inside does not leave.
    EXPECT_EQ(evaluate(*b, 0, s + m1, WIDE, &threats), s + m1);
    EXPECT_EQ(threats, 0);
    EXPECT_EQ(evaluate(*b, 0, -WIDE, s - m1, &threats), s - m1);
    EXPECT_EQ(threats, 0);

    int ksThreats;
    const int s2 = s + kingSafetyOf(*b, &ksThreats);
    if (s2 > s - (m1 - m2) && s2 < s + (m1 - m2)) {
      // Past the first exit, the second one fires at equality.
      EXPECT_EQ(evaluate(*b, 0, s2 + m2, WIDE, &threats), s2 + m2);
      EXPECT_EQ(threats, ksThreats);
      EXPECT_EQ(evaluate(*b, 0, -WIDE, s2 - m2, &threats), s2 - m2);
    }
    const int s3 = s2 + lineThreatsOf(*b);
    if (s3 > s2 - (m2 - m3) && s3 < s2 + (m2 - m3) && s3 > s - (m1 - m3) &&
        s3 < s + (m1 - m3)) {
      EXPECT_EQ(evaluate(*b, 0, s3 + m3, WIDE, &threats), s3 + m3);
      EXPECT_EQ(evaluate(*b, 0, -WIDE, s3 - m3, &threats), s3 - m3);
      EXPECT_EQ(evaluate(*b, 0, s3 + m3 - 1, WIDE, &threats), s3);
      EXPECT_EQ(evaluate(*b, 0, -WIDE, s3 - m3 + 1, &threats), s3);
    }
  }
}

// Every score stays far inside the mate range, whatever the window, and a
// lazy exit never crosses to the wrong side of the window.
TEST(Evaluate, ScoresStayBoundedAndLazyExitsKeepTheirSide) {
  EvalSettings level(2, 0);
  std::mt19937 rng(7);
  for (const std::string& fen : randomPlacements(600, 8)) {
    auto b = boardFromFen(fen);
    const int full = evalWide(*b);
    EXPECT_LE(std::abs(full), EVAL_SCORE_LIMIT);
    for (int k = 0; k < 8; ++k) {
      const int alpha = static_cast<int>(rng() % (2 * NO_SCORE)) - NO_SCORE;
      const int beta = alpha + 1 + static_cast<int>(rng() % 2000);
      int threats;
      const int s = evaluate(*b, 0, alpha, beta, &threats);
      EXPECT_LE(std::abs(s), EVAL_SCORE_LIMIT);
      // A lazy exit gives a bound outside the window, never a score inside.
      if (s != full) {
        EXPECT_TRUE(s <= alpha || s >= beta) << s << " " << alpha << " " << beta;
      }
    }
  }
}

// After a king is taken (possible deep in a search) nothing reads out of
// range and the score stays bounded.
TEST(Evaluate, PositionWithoutAKing) {
  EvalSettings level(2, 0);
  auto b = boardFromFen("3k5/9/9/9/9/9/9/9/4A4/3RK4 w");
  ASSERT_FALSE(b->makeMove(moveFromTo(squareAt(3, 9), squareAt(3, 0))));
  ASSERT_EQ(b->kingSquare(BLACK), NO_SQUARE);
  int threats;
  const int s = evalWide(*b, 0, &threats);
  EXPECT_LE(std::abs(s), EVAL_SCORE_LIMIT);
  EXPECT_LT(s, 0);  // black, to move, has lost its king
  int16_t t[2];
  kingSafety(*b, RED, &t[BLACK], &t[RED]);
  lineThreats(*b, RED);
  lineThreats(*b, BLACK);
}

// Swapping colours (ranks reversed, the other side to move) or reversing
// the files changes nothing: every rule is written for both sides alike and
// the script's grids are symmetric.
TEST(Evaluate, ColourAndFileMirrorsScoreTheSame) {
  EvalSettings level(2, 0);
  std::vector<std::string> fens = positions();
  const std::vector<std::string> placed = randomPlacements(12000, 31);
  fens.insert(fens.end(), placed.begin(), placed.end());
  int nonZeroThreats = 0, nonZeroLines = 0;
  for (const std::string& fen : fens) {
    auto b = boardFromFen(fen);
    auto c = boardFromFen(colourMirror(fen));
    auto f = boardFromFen(fileMirror(fen));
    int tb, tc, tf;
    const int sb = evalWide(*b, 0, &tb);
    EXPECT_EQ(evalWide(*c, 0, &tc), sb) << fen;
    EXPECT_EQ(evalWide(*f, 0, &tf), sb) << fen;
    EXPECT_EQ(tc, tb) << fen;
    EXPECT_EQ(tf, tb) << fen;
    int16_t kb[2], kc[2];
    EXPECT_EQ(kingSafety(*b, RED, &kb[BLACK], &kb[RED]),
              kingSafety(*c, BLACK, &kc[BLACK], &kc[RED])) << fen;
    EXPECT_EQ(kb[BLACK], kc[RED]) << fen;
    EXPECT_EQ(kb[RED], kc[BLACK]) << fen;
    EXPECT_EQ(lineThreats(*b, RED), lineThreats(*c, BLACK)) << fen;
    nonZeroThreats += tb > 0;
    nonZeroLines += lineThreats(*b, RED) + lineThreats(*b, BLACK) > 0;
  }
  EXPECT_GT(nonZeroThreats, 3000);
  EXPECT_GT(nonZeroLines, 300);
}

// With the real script, positions of play score well inside a few pawns'
// worth of a rook.
TEST(Evaluate, RealScriptGivesModerateScores) {
  EvalSettings level(2, 0);
  int worst = 0;
  for (const std::string& fen : positions()) {
    auto b = boardFromFen(fen);
    worst = std::max(worst, std::abs(evalWide(*b)));
  }
  EXPECT_LE(worst, 3000);
}

}  // namespace
}  // namespace evaltest
