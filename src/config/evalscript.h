// The evaluation script PosVal.txt: every number of the static evaluation,
// and the tables derived from it at load time.
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
  uint8_t relation20[512], relation21[512], relation22[512];  // by diff + 256
};

extern EvalScript evalScript;

// Loads the script into zeroed tables, fills pieceValue, pieceSquare and
// pieceSquareByIndex, the derived tables and MoveDelta; true when the whole file was read, its
// end mark is right and its values keep every score within
// SCRIPT_SCORE_LIMIT. Values outside their sensible ranges are reported on
// stderr and clamped. Needs the piece tables and the Zobrist keys.
bool loadEvaluationScript(const char* path);

// ---- steps of the load, open for tests
// From the black piece tables as read: pieceValue (kings SCRIPT_KING_VALUE),
// the red tables (the black ones mirrored top to bottom),
// pieceSquareByIndex and the rook margins.
void deriveScoreTables();
// Compares every piece's square values with their left-right mirror images
// and reports the differing pairs (at most MIRROR_REPORT_MAX_LINES lines and
// a count of the rest) with askYesNo. Returns the number of differing pairs.
int checkMirrorSymmetry();
// halvingTable from its entry 0, stepTable from its entry 1 (index 6), and
// the three relation tables from their distance lists.
void deriveScriptTables();
// The largest material-and-placement score any position can reach: one
// side's best placement of all its pieces against the other's worst.
int scriptScoreBound();
