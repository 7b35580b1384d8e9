// The search-option record: switches and limits of the search, loaded whole
// from the 272-byte image HowToThink.opt, then partly overwritten by the
// protocol front end and the go driver. Fields sit at fixed offsets.
#pragma once

#include <cstddef>

#include "types.h"

struct SearchOptions {
  uint8_t reserved0[16];
  uint8_t useHashCutoffs;          // 0x10
  uint8_t reserved11;
  uint8_t storeLeafScores;         // 0x12
  uint8_t storeRepetitionScores;   // 0x13
  uint8_t alwaysReplace;           // 0x14
  uint8_t reserved15[3];
  uint8_t useNullMove;             // 0x18
  uint8_t reserved19[11];
  int32_t nullMoveMinDepth;        // 0x24
  uint8_t useIid;                  // 0x28
  uint8_t reserved29[3];
  int32_t iidDepth;                // 0x2C
  uint8_t reserved30[8];
  uint8_t quiesceCheckEvasions;    // 0x38
  uint8_t reserved39[8];
  uint8_t useCaptureExtension;     // 0x41
  uint8_t useGainExtension;        // 0x42
  uint8_t reserved43[17];
  int32_t hashCheckBound;          // 0x54
  uint8_t reserved58[12];
  int32_t lmrHistoryLimit;         // 0x64
  int32_t lmrMinMoves;             // 0x68
  uint8_t lmrAtPvNodes;            // 0x6C
  uint8_t lmrResearch;             // 0x6D
  int16_t lmrMinDepth;             // 0x6E
  uint8_t usePvs;                  // 0x70
  uint8_t reserved71[3];
  uint8_t reserved74[12];          // 0x74: the limits of a go (now its own record)
  uint8_t useRepetitionCheck;      // 0x80
  uint8_t reserved81[2];
  uint8_t timedDepth;              // 0x83: depth limit of a timed search
  uint8_t debugConsole;            // 0x84
  uint8_t reserved85[7];
  uint8_t printNewBest;            // 0x8C
  uint8_t reserved8d;
  uint8_t reserved8e[2];           // 0x8E: the book switches (the book is always on)
  // Later techniques: 0 is the first design.
  uint8_t lmrTable;                // 0x90: late-move reductions from a log table
  uint8_t reserved91;
  int16_t lmrTableBase;            // 0x92: reduction = base + ln d x ln n / divisor,
  int16_t lmrTableDivisor;         // 0x94:   both in hundredths
  int16_t aspirationWindow;        // 0x96: root window half-width, 0 for none
  uint8_t useReverseFutility;      // 0x98: static score - margin x depth >= beta cuts
  uint8_t reverseFutilityDepth;    // 0x99:   at depths up to this
  int16_t reverseFutilityMargin;   // 0x9A
  uint8_t useFutility;             // 0x9C: quiet moves skipped when static score +
  uint8_t futilityDepth;           // 0x9D:   margin x depth cannot reach alpha
  int16_t futilityMargin;          // 0x9E
  uint8_t useLateMovePruning;      // 0xA0: quiet moves after base + depth^2 skipped
  uint8_t lateMovePruningDepth;    // 0xA1:   at depths up to this
  int16_t lateMovePruningBase;     // 0xA2
  uint8_t nullMoveAdaptive;        // 0xA4: reduction grows with depth and margin,
  uint8_t reservedA5;              //       static score >= beta required
  int16_t nullMoveEvalDivisor;     // 0xA6: margin per extra ply of reduction
  uint8_t useSee;                  // 0xA8: exchange test: losing captures skipped in
  uint8_t seePruningDepth;         // 0xA9:   the quiescence search and at shallow
  int16_t seePruningMargin;        // 0xAA:   depths (margin x depth)
  uint8_t useIir;                  // 0xAC: one ply less instead of the inner search
  uint8_t historyPenalty;          // 0xAD: quiet moves tried before a cut-off lose
  uint8_t reservedAE;
  uint8_t quiesceProbePlies;       // 0xAF: the quiescence search probes the table
                                   //       only this many plies deep (0: as designed)
  uint8_t reservedB0[6];
  uint8_t useContinuationHistory;  // 0xB6: quiet moves ordered by how they fared after the last move
  uint8_t useChaseRule;            // 0xB7: a side that chases one piece through a whole
                                   //       repetition cycle loses, as perpetual check does
  uint8_t useSingularExtension;    // 0xB8: a table move no other move comes near is
  uint8_t singularMinDepth;        // 0xB9:   searched a ply deeper, from this depth on
  int16_t singularMargin;          // 0xBA:   "near": within margin x depth of its score
  uint8_t useNetwork;              // 0xBC: the learned evaluation (Network.nnue) in
                                   //       place of the script, when the file loads
  uint8_t reservedBD[13];
  uint8_t drawnRepetition;         // 0xCA: a plain repetition scores as a draw, not as
                                   //       half the material of the repeated position
  uint8_t reservedCB[63];
  uint8_t knowledgeLevel;          // 0x10A
  uint8_t reserved10b;
  int32_t printMinDepth;           // 0x10C
};

static_assert(sizeof(SearchOptions) == 272, "option image is 272 bytes");
static_assert(offsetof(SearchOptions, useHashCutoffs) == 0x10, "");
static_assert(offsetof(SearchOptions, nullMoveMinDepth) == 0x24, "");
static_assert(offsetof(SearchOptions, iidDepth) == 0x2C, "");
static_assert(offsetof(SearchOptions, quiesceCheckEvasions) == 0x38, "");
static_assert(offsetof(SearchOptions, useCaptureExtension) == 0x41, "");
static_assert(offsetof(SearchOptions, hashCheckBound) == 0x54, "");
static_assert(offsetof(SearchOptions, lmrHistoryLimit) == 0x64, "");
static_assert(offsetof(SearchOptions, lmrMinDepth) == 0x6E, "");
static_assert(offsetof(SearchOptions, usePvs) == 0x70, "");
static_assert(offsetof(SearchOptions, useRepetitionCheck) == 0x80, "");
static_assert(offsetof(SearchOptions, timedDepth) == 0x83, "");
static_assert(offsetof(SearchOptions, printNewBest) == 0x8C, "");
static_assert(offsetof(SearchOptions, lmrTableDivisor) == 0x94, "");
static_assert(offsetof(SearchOptions, quiesceProbePlies) == 0xAF, "");
static_assert(offsetof(SearchOptions, useContinuationHistory) == 0xB6, "");
static_assert(offsetof(SearchOptions, useNetwork) == 0xBC, "");
static_assert(offsetof(SearchOptions, drawnRepetition) == 0xCA, "");
static_assert(offsetof(SearchOptions, knowledgeLevel) == 0x10A, "");
static_assert(offsetof(SearchOptions, printMinDepth) == 0x10C, "");

extern SearchOptions searchOptions;

// Reads up to 272 bytes of the image into the record; true when the file
// could be opened. Values that would break the search are reported on
// stderr and replaced by safe ones.
bool loadSearchOptions(SearchOptions* options, const char* path);
