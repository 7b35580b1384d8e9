#include "config/optionfields.h"

#include <cstdio>
#include <cstring>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the option image is read as a little-endian memory image");

namespace {

// Built-in values that replace bad ones.
constexpr int32_t DEFAULT_NULL_MOVE_MIN_DEPTH = 2;
constexpr int32_t DEFAULT_IID_DEPTH = 2;
constexpr int32_t DEFAULT_HASH_CHECK_BOUND = 16;
constexpr int32_t MAX_HASH_CHECK_BOUND = 127;
constexpr int32_t HISTORY_RATIO_SCALE = 16384;
constexpr int32_t DEFAULT_LMR_HISTORY_LIMIT = 4096;
constexpr int32_t MAX_LMR_MIN_MOVES = 255;
constexpr int32_t DEFAULT_LMR_MIN_MOVES = 3;
constexpr int32_t DEFAULT_LMR_MIN_DEPTH = 3;
constexpr int32_t DEFAULT_TIMED_DEPTH = 64;
constexpr int32_t MAX_KNOWLEDGE_LEVEL = 2;
constexpr int32_t DEFAULT_PRINT_MIN_DEPTH = 1;
constexpr int32_t MAX_LMR_TABLE_BASE = 400;
constexpr int32_t MAX_LMR_TABLE_DIVISOR = 1000;
constexpr int32_t DEFAULT_LMR_TABLE_DIVISOR = 250;
constexpr int32_t MAX_MARGIN = 2000;
constexpr int32_t MAX_PRUNING_DEPTH = 16;
constexpr int32_t DEFAULT_NULL_MOVE_EVAL_DIVISOR = 200;

}  // namespace

#define OPTION_SWITCH(name) \
  {#name, offsetof(SearchOptions, name), sizeof(SearchOptions::name), true, 0, 1, 1}
#define OPTION_VALUE(name, low, high, fallback)                                  \
  {#name, offsetof(SearchOptions, name), sizeof(SearchOptions::name), false, low, \
   high, fallback}

const OptionField OPTION_FIELDS[] = {
    OPTION_SWITCH(useHashCutoffs),
    OPTION_SWITCH(storeLeafScores),
    OPTION_SWITCH(storeRepetitionScores),
    OPTION_SWITCH(alwaysReplace),
    OPTION_SWITCH(useNullMove),
    OPTION_VALUE(nullMoveMinDepth, 0, MAX_PLY, DEFAULT_NULL_MOVE_MIN_DEPTH),
    OPTION_SWITCH(useIid),
    OPTION_VALUE(iidDepth, 1, MAX_PLY, DEFAULT_IID_DEPTH),
    OPTION_SWITCH(quiesceCheckEvasions),
    OPTION_SWITCH(useCaptureExtension),
    OPTION_SWITCH(useGainExtension),
    OPTION_VALUE(hashCheckBound, 0, MAX_HASH_CHECK_BOUND, DEFAULT_HASH_CHECK_BOUND),
    OPTION_VALUE(lmrHistoryLimit, 0, HISTORY_RATIO_SCALE, DEFAULT_LMR_HISTORY_LIMIT),
    OPTION_VALUE(lmrMinMoves, 0, MAX_LMR_MIN_MOVES, DEFAULT_LMR_MIN_MOVES),
    OPTION_SWITCH(lmrAtPvNodes),
    OPTION_SWITCH(lmrResearch),
    OPTION_VALUE(lmrMinDepth, 0, MAX_PLY, DEFAULT_LMR_MIN_DEPTH),
    OPTION_SWITCH(usePvs),
    OPTION_SWITCH(useRepetitionCheck),
    OPTION_VALUE(timedDepth, 1, MAX_PLY - 1, DEFAULT_TIMED_DEPTH),
    OPTION_SWITCH(debugConsole),
    OPTION_SWITCH(printNewBest),
    {"knowledgeLevel", offsetof(SearchOptions, knowledgeLevel), 1, true, 0,
     MAX_KNOWLEDGE_LEVEL, MAX_KNOWLEDGE_LEVEL},
    OPTION_VALUE(printMinDepth, 0, MAX_PLY, DEFAULT_PRINT_MIN_DEPTH),
    OPTION_SWITCH(lmrTable),
    OPTION_VALUE(lmrTableBase, 0, MAX_LMR_TABLE_BASE, 0),
    // 0 in an image without the field: the divisor is only read with lmrTable on.
    OPTION_VALUE(lmrTableDivisor, 0, MAX_LMR_TABLE_DIVISOR, DEFAULT_LMR_TABLE_DIVISOR),
    OPTION_VALUE(aspirationWindow, 0, MAX_MARGIN, 0),
    OPTION_SWITCH(useReverseFutility),
    OPTION_VALUE(reverseFutilityDepth, 0, MAX_PRUNING_DEPTH, 0),
    OPTION_VALUE(reverseFutilityMargin, 0, MAX_MARGIN, 0),
    OPTION_SWITCH(useFutility),
    OPTION_VALUE(futilityDepth, 0, MAX_PRUNING_DEPTH, 0),
    OPTION_VALUE(futilityMargin, 0, MAX_MARGIN, 0),
    OPTION_SWITCH(useLateMovePruning),
    OPTION_VALUE(lateMovePruningDepth, 0, MAX_PRUNING_DEPTH, 0),
    OPTION_VALUE(lateMovePruningBase, 0, MAX_LMR_MIN_MOVES, 0),
    OPTION_SWITCH(nullMoveAdaptive),
    // 0 in an image without the field: read only with the switch on.
    OPTION_VALUE(nullMoveEvalDivisor, 0, MAX_MARGIN, DEFAULT_NULL_MOVE_EVAL_DIVISOR),
    OPTION_SWITCH(useSee),
    OPTION_VALUE(seePruningDepth, 0, MAX_PRUNING_DEPTH, 0),
    OPTION_VALUE(seePruningMargin, 0, MAX_MARGIN, 0),
    OPTION_SWITCH(useIir),
    OPTION_SWITCH(historyPenalty),
    OPTION_VALUE(quiesceProbePlies, 0, MAX_PRUNING_DEPTH, 0),
    OPTION_SWITCH(useContinuationHistory),
    OPTION_SWITCH(useChaseRule),
    OPTION_SWITCH(useSingularExtension),
    OPTION_VALUE(singularMinDepth, 0, MAX_PLY - 1, 0),
    OPTION_VALUE(singularMargin, 0, MAX_MARGIN, 0),
    OPTION_SWITCH(drawnRepetition),
    OPTION_SWITCH(useNetwork),
};
const int OPTION_FIELD_COUNT = sizeof OPTION_FIELDS / sizeof OPTION_FIELDS[0];

#undef OPTION_SWITCH
#undef OPTION_VALUE

const OptionField* findOptionField(const char* name) {
  for (const OptionField& f : OPTION_FIELDS)
    if (std::strcmp(f.name, name) == 0) return &f;
  return nullptr;
}

int32_t getOptionField(const SearchOptions& options, const OptionField& field) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&options) + field.offset;
  switch (field.size) {
    case 1:
      return bytes[0];
    case 2: {
      int16_t v;
      std::memcpy(&v, bytes, sizeof v);
      return v;
    }
    default: {
      int32_t v;
      std::memcpy(&v, bytes, sizeof v);
      return v;
    }
  }
}

void setOptionField(SearchOptions* options, const OptionField& field, int32_t value) {
  auto* bytes = reinterpret_cast<uint8_t*>(options) + field.offset;
  switch (field.size) {
    case 1:
      bytes[0] = static_cast<uint8_t>(value);
      break;
    case 2: {
      const auto v = static_cast<int16_t>(value);
      std::memcpy(bytes, &v, sizeof v);
      break;
    }
    default:
      std::memcpy(bytes, &value, sizeof value);
      break;
  }
}

int repairSearchOptions(SearchOptions* options, size_t length, const char* source) {
  int repaired = 0;
  for (const OptionField& f : OPTION_FIELDS) {
    if (f.offset + f.size > length) continue;
    const int32_t v = getOptionField(*options, f);
    if (v >= f.low && v <= f.high) continue;
    int32_t fixed = f.fallback;
    if (f.clampsToRange) fixed = v < f.low ? f.low : f.high;
    std::fprintf(stderr, "%s: %s %d is outside %d..%d; using %d\n", source, f.name,
                 v, f.low, f.high, fixed);
    setOptionField(options, f, fixed);
    ++repaired;
  }
  return repaired;
}
