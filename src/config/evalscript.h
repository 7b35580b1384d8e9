// The evaluation script PosVal.txt: every number of the static evaluation,
// and the tables derived from it at load time.
#pragma once

#include "types.h"

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

// Loads the script, fills pieceValue, pieceSquare and pieceSquareByIndex,
// the derived tables and MoveDelta; true when the whole file was read and
// its end mark is right.
bool loadEvaluationScript(const char* path);
