// Loading the evaluation script and the tables derived from it.
#include <gtest/gtest.h>

#include "board/board.h"
#include "board/tables.h"
#include "config/evalscript.h"
#include "scriptbuilder.h"
#include "testfiles.h"

namespace {

// Loads the text; the stderr output (messages and the mirror report) is
// returned in *messages.
bool loadScript(const std::string& text, std::string* messages = nullptr) {
  buildStartupTables();
  TempFile file(text);
  testing::internal::CaptureStderr();
  const bool ok = loadEvaluationScript(file.path());
  const std::string err = testing::internal::GetCapturedStderr();
  if (messages != nullptr) *messages = err;
  return ok;
}

// Drops the last n blank-separated items of a text.
std::string withoutLastItems(std::string text, int n) {
  for (int i = 0; i < n; ++i) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    while (!text.empty() && !std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
  }
  return text;
}

constexpr int PAWN_GRID = 6;

}  // namespace

TEST(EvalScript, EndMarkRules) {
  ScriptBuilder script;
  std::string messages;
  EXPECT_TRUE(loadScript(script.text(), &messages));
  EXPECT_EQ(messages, "");

  EXPECT_FALSE(loadScript(withoutLastItems(script.text(), 1)));

  // A wrong end mark fails, but everything before it was read.
  script.step = 9;
  script.endMark = "333 444 555 666 778";
  EXPECT_FALSE(loadScript(script.text()));
  EXPECT_EQ(evalScript.stepTable[5 + 1], 9);
  EXPECT_EQ(pieceValue[ROOK], 600);

  EXPECT_FALSE(loadEvaluationScript("/nonexistent/PosVal.txt"));
}

TEST(EvalScript, AFileBrokenOffKeepsWhatWasRead) {
  ScriptBuilder script;
  script.grids[PAWN_GRID][40] = 55;
  const std::string full = script.text();
  // Cut inside the cannon line grid: the piece tables are complete and
  // derived, the rook thresholds read, later blocks zero.
  const std::string cut = full.substr(0, full.find("cannonLines") + 30);
  std::string messages;
  EXPECT_FALSE(loadScript(cut, &messages));
  EXPECT_NE(messages.find("ends before item"), std::string::npos) << messages;
  EXPECT_EQ(pieceValue[ROOK + 7], 600);
  EXPECT_EQ(pieceValue[KING + 7], SCRIPT_KING_VALUE);
  EXPECT_EQ(evalScript.pair3[1], 30);
  EXPECT_EQ(evalScript.halvingTable[0], 0);
  EXPECT_EQ(evalScript.list12[12], 0);

  // Cut inside a grid of block 1: nothing is derived, nothing is left
  // from an earlier load.
  const std::string early = full.substr(0, full.find("piece 600") + 40);
  EXPECT_FALSE(loadScript(early));
  EXPECT_EQ(pieceValue[HORSE], 270);
  EXPECT_EQ(pieceValue[HORSE + 7], 0);
  EXPECT_EQ(pieceSquareByIndex[27][0x77], 0);
}

TEST(EvalScript, HalvingAndStepTables) {
  ScriptBuilder script;
  script.lazyMargin = 100;
  script.step = 3;
  ASSERT_TRUE(loadScript(script.text()));
  const int halves[9] = {100, 50, 25, 12, 6, 3, 1, 0, 0};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(evalScript.halvingTable[i], halves[i]) << i;
  for (int i = -5; i <= 5; ++i) EXPECT_EQ(evalScript.stepTable[i + 5], 3 * i) << i;

  // Halving shifts arithmetically; a negative step counts down.
  evalScript.halvingTable[0] = -7;
  evalScript.stepTable[6] = -2;
  deriveScriptTables();
  const int negativeHalves[9] = {-7, -4, -2, -1, -1, -1, -1, -1, -1};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(evalScript.halvingTable[i], negativeHalves[i]) << i;
  EXPECT_EQ(evalScript.stepTable[0], 10);
  EXPECT_EQ(evalScript.stepTable[10], -10);
}

TEST(EvalScript, RelationTablesBySquareDifference) {
  ScriptBuilder script;
  ASSERT_TRUE(loadScript(script.text()));
  const uint8_t* r = evalScript.relation20 + 256;
  EXPECT_EQ(r[0], 5);  // the file list's entry 0
  for (int sign : {-1, 1}) {
    EXPECT_EQ(r[sign * 16], 40);
    EXPECT_EQ(r[sign * 144], 8);
    EXPECT_EQ(r[sign * 1], 41);
    EXPECT_EQ(r[sign * 8], 13);
    EXPECT_EQ(r[sign * 9], 0);
    EXPECT_EQ(r[sign * 17], 0);
  }
  EXPECT_EQ(r[160], 0) << "ten ranks apart is off the board";
  EXPECT_EQ(evalScript.relation22[256 - 2], 2);
}

TEST(EvalScript, DerivedPieceTables) {
  ScriptBuilder script;
  script.pieceValue[KING] = 5;
  // Pawn grid: row 2 (two ranks from red's back rank, in the file's order)
  // file c gets 44; row 5 file e gets 9.
  script.grids[PAWN_GRID][2 * 9 + 2] = 44;
  script.grids[PAWN_GRID][2 * 9 + 6] = 44;
  script.grids[PAWN_GRID][5 * 9 + 4] = 9;
  ASSERT_TRUE(loadScript(script.text()));
  EXPECT_EQ(pieceValue[KING], SCRIPT_KING_VALUE);
  EXPECT_EQ(pieceValue[KING + 7], SCRIPT_KING_VALUE);
  EXPECT_EQ(pieceValue[PAWN + 7], 30);
  // Black reads row r as frame rank 12 - r: row 2 file c is square 0xA5.
  EXPECT_EQ(pieceSquare[PAWN][0xA5], 44);
  EXPECT_EQ(pieceSquare[PAWN][0x77], 9);
  // Red is black mirrored top to bottom: frame rank 3 + r.
  EXPECT_EQ(pieceSquare[PAWN + 7][0x55], 44);
  EXPECT_EQ(pieceSquare[PAWN + 7][0x87], 9);
  EXPECT_EQ(pieceSquareByIndex[15][0xA5], 74);
  EXPECT_EQ(pieceSquareByIndex[27][0x55], 74);
  EXPECT_EQ(pieceSquareByIndex[0][0x37], SCRIPT_KING_VALUE);
  EXPECT_EQ(evalScript.rookMarginSmall, 240);
  EXPECT_EQ(evalScript.rookMarginLarge, 1110);
  // MoveDelta carries the placement change of the mirrored red table.
  const MoveDeltaEntry& e = MoveDelta[PAWN + 7][Square90[0x65] * 90 + Square90[0x55]];
  EXPECT_EQ(e.score, 44);
}

TEST(EvalScript, MirrorCheckReportsEachAsymmetricPair) {
  ScriptBuilder script;
  // Row 4 of the pawn grid differs between files a and i.
  script.grids[PAWN_GRID][4 * 9 + 0] = 12;
  std::string report;
  EXPECT_TRUE(loadScript(script.text(), &report)) << "asymmetry never fails the load";
  // Ten pawns, one line each; black reads row 4 as frame rank 8 (rank 5
  // from the top), red as frame rank 7 (rank 4 from the top).
  EXPECT_EQ(countOccurrences(report, "镜像不对称"), 10) << report;
  EXPECT_EQ(countOccurrences(report, "\n卒 5行0-8列镜像不对称"), 5) << report;
  EXPECT_EQ(countOccurrences(report, "\n兵 4行0-8列镜像不对称"), 5) << report;
}

TEST(EvalScript, MirrorReportIsBounded) {
  ScriptBuilder script;
  for (int t = 0; t < 7; ++t)
    for (int i = 0; i < 90; ++i) script.grids[t][i] = i % 9;  // rising left to right
  std::string report;
  EXPECT_TRUE(loadScript(script.text(), &report));
  // Every piece on every square of files a..d differs: 32 x 10 x 4 pairs.
  const int pairs = 32 * 10 * 4;
  EXPECT_EQ(countOccurrences(report, "列镜像不对称"), MIRROR_REPORT_MAX_LINES) << report;
  EXPECT_NE(report.find("另有" + std::to_string(pairs - MIRROR_REPORT_MAX_LINES) + "处镜像不对称"),
            std::string::npos)
      << report;
  EXPECT_EQ(checkMirrorSymmetry(), pairs);
}

TEST(EvalScript, OutOfRangeValuesAreReportedAndClamped) {
  ScriptBuilder script;
  script.lazyMargin = -5;
  script.step = 100000000;
  script.fileDistance20[3] = 300;
  script.grids[PAWN_GRID][13] = 40000;  // row 1, centre file
  std::string messages;
  const bool ok = loadScript(script.text(), &messages);
  EXPECT_NE(messages.find("lazy margin"), std::string::npos) << messages;
  EXPECT_NE(messages.find("step"), std::string::npos) << messages;
  EXPECT_NE(messages.find("relation 20"), std::string::npos) << messages;
  EXPECT_NE(messages.find("pawn grid"), std::string::npos) << messages;
  EXPECT_GT(evalScript.halvingTable[0], 0);
  EXPECT_EQ(evalScript.relation20[256 + 48], 255);
  EXPECT_LE(evalScript.stepTable[10], 5000);
  EXPECT_EQ(pieceSquare[PAWN][0xB7], 1000);
  EXPECT_TRUE(ok) << "clamped values keep every score in bounds";
}

TEST(EvalScript, ScoresThatReachTheMateRangeAreRefused) {
  ScriptBuilder script;
  script.pieceValue[ROOK] = 3000;
  script.pieceValue[CANNON] = 3000;
  script.pieceValue[HORSE] = 3000;
  std::string messages;
  EXPECT_FALSE(loadScript(script.text(), &messages));
  EXPECT_NE(messages.find("allow a score"), std::string::npos) << messages;
  EXPECT_GT(scriptScoreBound(), SCRIPT_SCORE_LIMIT);
}
