// King safety and line threats rule by rule: hand-built positions scored
// with a script whose values are all zero except the ones under test, so
// each expected score and threat count can be worked out by hand.
#include "eval/evaltables.h"
#include "eval/support.h"

namespace evaltest {
namespace {

class IsolatedTerms : public ::testing::Test {
 protected:
  void SetUp() override {
    buildTables();
    saved_ = evalScript;
    evalScript = EvalScript{};
    // No rook reaches the pressure thresholds unless a test lowers them.
    evalScript.pair3[0] = evalScript.pair3[1] = 30000;
  }
  void TearDown() override { evalScript = saved_; }

  // Red's attack score minus black's, and both threat counts.
  int redSafety(const std::string& fen) {
    auto b = boardFromFen(fen);
    return kingSafety(*b, RED, &threats[BLACK], &threats[RED]);
  }

  int16_t threats[2] = {};

 private:
  EvalScript saved_;
};

TEST_F(IsolatedTerms, OpenCentralCannonOnAKingBehindHomeAdvisors) {
  for (int i = 0; i < 10; ++i) evalScript.list16[i] = 100 + i;
  // Cannon four ranks from black's back rank, the king its first piece.
  const std::string fen = "3aka3/9/9/9/4C4/9/9/9/9/3K5 w";
  EXPECT_EQ(redSafety(fen), 104);
  EXPECT_EQ(threats[RED], 2);
  EXPECT_EQ(threats[BLACK], 0);
  evalScript.triple9[2] = 2;  // red's attack material (1) below the threshold
  EXPECT_EQ(redSafety(fen), 0);
  EXPECT_EQ(threats[RED], 2);
}

TEST_F(IsolatedTerms, ScreenedCentralCannonCountsTheHorseOnThePalaceCentre) {
  for (int i = 0; i < 10; ++i) evalScript.list14[i] = 10 + i;
  EXPECT_EQ(redSafety("3aka3/4n4/9/4p4/4C4/9/9/9/9/3K5 w"), 4 * 14);
  EXPECT_EQ(threats[RED], 1);
  EXPECT_EQ(redSafety("3aka3/4r4/9/4p4/4C4/9/9/9/9/3K5 w"), 0);
  EXPECT_EQ(threats[RED], 1);
}

TEST_F(IsolatedTerms, BottomCannonAgainstHomeAdvisors) {
  EXPECT_EQ(redSafety("C1baka3/9/9/9/9/9/9/9/9/3K5 w"), 0);
  EXPECT_EQ(threats[RED], 1);  // the king is the third piece
  redSafety("C2aka3/9/9/9/9/9/9/9/9/3K5 w");
  EXPECT_EQ(threats[RED], 0);  // the king is the second piece
}

TEST_F(IsolatedTerms, CentralCannonAndCornerAttackOnAdvisorsLeft) {
  for (int i = 0; i < 10; ++i) evalScript.list14[i] = 10 + i;
  evalScript.value15a = 7;
  for (int i = 0; i < 5; ++i) evalScript.list23[i] = 1000 * (i + 1);
  // Advisors on d9 and e8 (class 2); the horse on g7 attacks the empty f9
  // corner and stands on an approach square with four free legs.
  EXPECT_EQ(redSafety("3ak4/4a4/6N2/4p4/4C4/9/9/9/9/3K5 w"), 14 + 7 + 5000);
  EXPECT_EQ(threats[RED], 1 + 1 + 2);
  // A black pawn two ranks in front of the cannon spoils the screen; the
  // corner is then not looked at either.
  EXPECT_EQ(redSafety("3ak4/4a4/6N2/4p4/9/4C4/9/9/9/3K5 w"), 5000);
  EXPECT_EQ(threats[RED], 2);
}

TEST_F(IsolatedTerms, BottomCannonAgainstAdvisorsLeft) {
  const int rightFile = 8;
  evalScript.list17[rightFile] = 1;
  redSafety("3ak3C/4a4/9/9/9/9/9/9/9/3K5 w");
  EXPECT_EQ(threats[RED], 2);  // the king is the first piece
  redSafety("3ak1b1C/4a4/9/9/9/9/9/9/9/3K5 w");
  EXPECT_EQ(threats[RED], 0);  // the king is the second piece
  evalScript.list17[rightFile] = 0;
  redSafety("3ak3C/4a4/9/9/9/9/9/9/9/3K5 w");
  EXPECT_EQ(threats[RED], 0);
}

TEST_F(IsolatedTerms, RookPressureAdvisorLossAndCoveredFlank) {
  evalScript.pair3[0] = evalScript.pair3[1] = -30000;  // every rook at full pressure
  evalScript.pair19[0] = 11;
  evalScript.pair19[1] = 22;
  EXPECT_EQ(redSafety("3ak4/9/9/9/9/9/9/9/9/R2K4R w"), 11);  // one advisor lost
  EXPECT_EQ(threats[RED], 4);
  EXPECT_EQ(redSafety("4k4/9/9/9/9/9/9/9/9/R2K4R w"), 22);  // both lost
  EXPECT_EQ(threats[RED], 4);
  // Advisors on d9 and e8: the rook on the a-file is on the covered flank.
  EXPECT_EQ(redSafety("3ak4/4a4/9/9/9/9/9/9/9/R2K4R w"), 0);
  EXPECT_EQ(threats[RED], 1 + 2);
}

TEST_F(IsolatedTerms, RaisedKingAndPieceBeforeItOnTheFile) {
  evalScript.value15b = 9;
  evalScript.relation22[256 + 16] = 33;
  // King on e7, our rook behind its horse on e8.
  EXPECT_EQ(redSafety("3aRa3/4n4/4k4/9/9/9/9/9/9/3K5 w"), 33);
  EXPECT_EQ(threats[RED], 1);
  // King raised to the palace centre.
  EXPECT_EQ(redSafety("3a1a3/4k4/9/9/9/9/9/9/9/3K5 w"), 9);
  EXPECT_EQ(threats[RED], 0);
}

TEST_F(IsolatedTerms, PawnsAgainstADefenderShortOfAttackers) {
  evalScript.triple9[2] = 4;
  for (int n = 0; n <= 5; ++n) evalScript.stepTable[5 + n] = 6 * n;
  EXPECT_EQ(redSafety("4k4/9/9/9/9/P1P1P4/9/9/9/3K5 w"), 18);
  EXPECT_EQ(redSafety("r3k3r/9/9/9/9/P1P1P4/9/9/9/3K5 w"), 0);  // two rooks: 4
}

TEST_F(IsolatedTerms, MissingPiecePenalties) {
  evalScript.triple18[0] = 40;
  evalScript.triple18[1] = 20;
  evalScript.triple18[2] = 15;
  EXPECT_EQ(redSafety("4k4/9/9/9/9/9/9/9/9/3K5 w"), 0);
  EXPECT_EQ(redSafety("r3k4/9/9/9/9/9/9/9/9/3K5 w"), -75 + 35);
}

// Every rule at once: 2 + 2 from the rooks, 2 + 2 from the horses, 2 from
// the centre cannon with the corner attack and 2 from the bottom cannon.
TEST_F(IsolatedTerms, HighestThreatCountReadsTheLastDangerEntry) {
  evalScript.pair3[0] = evalScript.pair3[1] = -30000;
  evalScript.list17[8] = 1;
  evalScript.list12[KING_DANGER_MAX_COUNT] = 777;
  EXPECT_EQ(redSafety("3ak3C/4a4/7N1/4p1N2/4CRR2/9/9/9/9/3K5 w"), 777);
  EXPECT_EQ(threats[RED], 12);
}

TEST_F(IsolatedTerms, LineThreatsOnPiecesBeforeARook) {
  // By the difference rook square - piece square.
  evalScript.relation20[256 - 32] = 50;  // two ranks apart on a file
  evalScript.relation21[256 - 32] = 7;
  evalScript.relation20[256 - 2] = 60;  // two files apart on a rank
  // Black rook on a9 (undefended), black horse on a7, red rook on a5.
  auto b = boardFromFen("r3k4/9/n8/9/R8/9/9/9/9/4K4 w");
  EXPECT_EQ(lineThreats(*b, RED), 50);
  EXPECT_EQ(lineThreats(*b, BLACK), 0);
  // From a rook on its own side of the river the look goes down the file.
  evalScript.relation20[256 - 16] = 45;
  b = boardFromFen("4k4/9/9/9/r8/n8/R8/9/9/4K4 w");
  EXPECT_EQ(lineThreats(*b, RED), 45);
  // The horse defended by the other black rook.
  b = boardFromFen("r3k4/9/n3r4/9/R8/9/9/9/9/4K4 w");
  EXPECT_EQ(lineThreats(*b, RED), 0);
  // A cannon behind (the third piece) counts for a horse only.
  b = boardFromFen("r3k4/9/n8/9/p8/C8/9/9/9/4K4 w");
  EXPECT_EQ(lineThreats(*b, RED), 7);
  b = boardFromFen("r3k4/9/c8/9/p8/C8/9/9/9/4K4 w");
  EXPECT_EQ(lineThreats(*b, RED), 0);
  // Along the rank, towards the centre file; a cannon counts for a rook.
  b = boardFromFen("4k4/9/9/9/r1n1R4/9/9/9/9/4K4 w");
  EXPECT_EQ(lineThreats(*b, RED), 60);
  b = boardFromFen("4k4/9/9/9/r1c1R4/9/9/9/9/4K4 w");
  EXPECT_EQ(lineThreats(*b, RED), 60);
  // Our own piece in front of their rook is no target.
  b = boardFromFen("4k4/9/9/9/r1N1R4/9/9/9/9/4K4 w");
  EXPECT_EQ(lineThreats(*b, RED), 0);
}

}  // namespace
}  // namespace evaltest
