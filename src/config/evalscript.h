// The evaluation script PosVal.txt: every number of the static evaluation
// as read, and the tables derived from those numbers alone.
#pragma once

#include "types.h"

// Fixed numbers of the derived tables.
constexpr int SCRIPT_KING_VALUE = MATE;  // both kings, whatever the file says
constexpr double ROOK_MARGIN_SMALL_FACTOR = 0.4;
constexpr double ROOK_MARGIN_LARGE_FACTOR = 1.85;
// Lines of the mirror-check report before it is cut short.
constexpr int MIRROR_REPORT_MAX_LINES = 20;
// The material-and-placement score of any position must stay within this,
// far from the mate scores; a script that allows more is refused.
constexpr int SCRIPT_SCORE_LIMIT = 10000;

struct EvalScript {
  int pieceSecond[PIECE_TYPE_COUNT];  // second number of each piece block
  float gridScale2[2];
  int grid2[256];
  int pair3[2];
  int list3[16];
  float gridScale4[2];
  int grid4[256];
  int list5[16];
  float gridScale6[2];
  int grid6[256];
  int list7[16];
  int value8;
  int triple9[3];
  int evalConstA, evalConstB;
  int halvingTable[9];
  int list12[13];
  int list13[16];
  int list14[10];
  int value15a, value15b;
  int list16[10];
  int list17[9];
  int triple18[3];
  int pair19[2];
  int fileDistance20[11], rankDistance20[10];
  int fileDistance21[11], rankDistance21[10];
  int fileDistance22[11], rankDistance22[10];
  int list23[6];
  int stepTable[11];  // index i + 5 for i = -5..5
  // derived
  int rookMarginSmall, rookMarginLarge;
  bool endgameValuesUsed;  // some piece block gives an endgame value
  uint8_t relation20[512], relation21[512], relation22[512];  // by diff + 256
};

extern EvalScript evalScript;

// The piece values and square tables by piece kind (0..6 black, 7..13 red).
// The script gives black's; the red ones and the kings' values are derived
// when the script is loaded into the engine.
extern int pieceValue[PIECE_KIND_COUNT];
extern int pieceSquare[PIECE_KIND_COUNT][256];

struct ScriptReadStatus {
  bool opened = false;
  bool piecesRead = false;    // the seven piece blocks were complete
  bool endMarkRight = false;
};
// Reads the script into zeroed tables: evalScript, and black's entries of
// pieceValue and pieceSquare. Values outside their sensible ranges are
// reported on stderr and clamped.
ScriptReadStatus readEvaluationScript(const char* path);
// halvingTable from its entry 0, stepTable from its entry 1 (index 6), and
// the three relation tables from their distance lists.
void deriveScriptTables();
