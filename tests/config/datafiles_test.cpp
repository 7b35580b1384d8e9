// The engine's own data files load cleanly and hold sensible numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "board/tables.h"
#include "config/config.h"
#include "config/evalscript.h"
#include "config/optionfields.h"
#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "testfiles.h"

namespace {

const std::string DATA = std::string(TOLVANE_DATA_DIR) + "/";
const std::string BUILD = std::string(TOLVANE_BUILD_DIR) + "/";

class DataFiles : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    buildStartupTables();
    testing::internal::CaptureStderr();
    loaded = loadEvaluationScript((DATA + "PosVal.txt").c_str());
    messages = testing::internal::GetCapturedStderr();
  }
  static bool loaded;
  static std::string messages;
};
bool DataFiles::loaded = false;
std::string DataFiles::messages;

// Placement value of a piece of this side and type on file 0..8, row 0..9
// counted from the side's own back rank.
int placement(int side, int type, int file, int ownRow) {
  const int rank = side == RED ? RANK_BOTTOM - ownRow : RANK_TOP + ownRow;
  return pieceSquare[type + 7 * side][makeSquare(rank, FILE_LEFT + file)];
}

// The sum the game phase is judged by: every piece's square value with its
// material, kings without theirs.
int sideTotal(const Board& b, int side) {
  int total = 0;
  for (int p = sideBase(side); p <= lastIndex(side); ++p) {
    const int sq = b.pieceList[p];
    if (sq == NO_SQUARE) continue;
    total += pieceSquareByIndex[p][sq];
    if (PieceTypeOf[p] == KING) total -= pieceValue[PieceKindOf[p]];
  }
  return total;
}

}  // namespace

TEST_F(DataFiles, EvaluationScriptLoadsSilently) {
  EXPECT_TRUE(loaded);
  EXPECT_EQ(messages, "") << "no mirror report, no range report";
  EXPECT_EQ(checkMirrorSymmetry(), 0);
  EXPECT_LT(scriptScoreBound(), SCRIPT_SCORE_LIMIT);
  EXPECT_LT(scriptScoreBound(), MATE_BOUND / 2);
}

TEST_F(DataFiles, GridsFaceTheRightWay) {
  for (int side : {BLACK, RED}) {
    // A pawn across the river is worth more than at home, and more still
    // next to the enemy palace.
    const int home = placement(side, PAWN, 4, 3);
    const int crossed = placement(side, PAWN, 4, 5);
    const int nearPalace = placement(side, PAWN, 4, 8);
    EXPECT_GT(crossed, home) << side;
    EXPECT_GT(nearPalace, crossed) << side;
    EXPECT_GE(nearPalace + pieceValue[PAWN], 90);
    EXPECT_LE(nearPalace + pieceValue[PAWN], 110);
    // The king is best at home; the squares outside the palace are unused.
    EXPECT_GT(placement(side, KING, 4, 0), placement(side, KING, 4, 1));
    EXPECT_GT(placement(side, KING, 4, 1), placement(side, KING, 4, 2));
    // A horse in the centre beats one on the edge; a central cannon beats
    // one on its starting square.
    EXPECT_GT(placement(side, HORSE, 4, 5), placement(side, HORSE, 0, 5));
    EXPECT_GT(placement(side, CANNON, 4, 2), placement(side, CANNON, 1, 2));
    // A rook leaving the corner gains.
    EXPECT_GT(placement(side, ROOK, 0, 1), placement(side, ROOK, 0, 0));
  }
  // The red table is the black one mirrored top to bottom.
  for (int sq = 0; sq < 256; ++sq) {
    if (!InBoard[sq]) continue;
    for (int t = 0; t < 7; ++t) {
      EXPECT_EQ(pieceSquare[t + 7][sq], pieceSquare[t][flipRank(sq)]);
    }
  }
}

TEST_F(DataFiles, StartPositionIsBalancedAndInTheOpening) {
  Board* b = new Board;
  b->init();
  ASSERT_EQ(b->setFen(START_FEN), FenStatus::Ok);
  EXPECT_EQ(b->currentPly->incrementalScore, 0);
  const int red = sideTotal(*b, RED), black = sideTotal(*b, BLACK);
  EXPECT_EQ(red, black);
  const int total = red + black;
  EXPECT_LT(total, MATE_BOUND / 3);
  // Phase thresholds: the start is opening, a bare-rook ending is endgame.
  const int* phase = evalScript.triple9;
  EXPECT_GT(total, phase[0]);
  EXPECT_GT(phase[0], phase[1]);
  const int rookEnding = 2 * (pieceValue[ROOK] + 2 * pieceValue[ADVISOR] + 2 * pieceValue[ELEPHANT]);
  EXPECT_LE(rookEnding, phase[1]);
  EXPECT_GT(phase[2], 0);
  EXPECT_LE(phase[2], 8) << "attack material counts up to 8";
  delete b;
}

TEST_F(DataFiles, EvaluationMarginsFitTheTerms) {
  const EvalScript& e = evalScript;
  int maxDanger = 0;
  for (int i = 0; i < 13; ++i) {
    if (i > 0) {
      EXPECT_GE(e.list12[i], e.list12[i - 1]) << "danger grows with the threats";
    }
    maxDanger = std::max(maxDanger, e.list12[i]);
  }
  // The first lazy margin covers the whole king-safety swing, the second
  // the line threats of two rooks.
  EXPECT_GT(e.halvingTable[1], maxDanger);
  int maxRelation = 0;
  for (int i = 0; i < 512; ++i)
    maxRelation = std::max({maxRelation, int(e.relation20[i]), int(e.relation21[i])});
  EXPECT_GE(e.halvingTable[1], 4 * maxRelation);
  EXPECT_GT(e.halvingTable[4], 0);
  EXPECT_LT(e.pair3[0], e.pair3[1]);
}

TEST(DataFilesText, ConfigAndTimeManagementLoad) {
  int size = 0;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(loadConfig((DATA + "Config.ini").c_str(), &size));
  TimeManager tm;
  EXPECT_TRUE(loadTimeManagement(&tm, (DATA + "TimeManagement.txt").c_str()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(size, 32);
  EXPECT_GE(tm.movesDivisor, 30);
  EXPECT_LE(tm.movesDivisor, 40);
  EXPECT_TRUE(tm.easyMoveOn && tm.softStopOn && tm.scoreDropOn && tm.firstMoveStopOn);
  EXPECT_LT(tm.softStopFactor, 1.0f);
  EXPECT_GE(tm.hardLimitFactor, 2.0f);
  EXPECT_LE(tm.hardLimitFactor, 3.0f);
}

TEST(DataFilesText, BuiltOptionImageLoadsWithoutRepairs) {
  SearchOptions o;
  std::memset(&o, 0, sizeof o);
  testing::internal::CaptureStderr();
  ASSERT_TRUE(loadSearchOptions(&o, (BUILD + "HowToThink.opt").c_str()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(readWholeFile(BUILD + "HowToThink.opt").size(), sizeof(SearchOptions));
  EXPECT_TRUE(o.useNullMove && o.useIid && o.usePvs && o.useRepetitionCheck);
  EXPECT_GE(o.iidDepth, 1);
  EXPECT_EQ(o.knowledgeLevel, 2);
  EXPECT_EQ(o.debugConsole, 0);
  EXPECT_GE(o.timedDepth, 64);
  EXPECT_LT(o.timedDepth, MAX_PLY);
  EXPECT_EQ(o.bookSwitch[0] | o.bookSwitch[1] | o.maxDepth, 0) << "set by the engine";
}
