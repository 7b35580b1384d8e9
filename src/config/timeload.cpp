// Reading TimeManagement.txt.
#include <cstdio>

#include "config/textreader.h"
#include "config/timemanager.h"

namespace {

void reportInt(const char* path, const char* name, int32_t bad, int32_t fixed) {
  std::fprintf(stderr, "%s: %s %d is out of range; using %d\n", path, name, bad, fixed);
}

void reportFloat(const char* path, const char* name, float bad, float fixed) {
  std::fprintf(stderr, "%s: %s %g is out of range; using %g\n", path, name,
               static_cast<double>(bad), static_cast<double>(fixed));
}

void checkInt(const char* path, const char* name, int32_t* v, int32_t low,
              int32_t high, int32_t fallback) {
  if (*v >= low && *v <= high) return;
  reportInt(path, name, *v, fallback);
  *v = fallback;
}

// A factor must lie in (0, ceiling]; the comparisons also catch NaN.
void checkFactor(const char* path, const char* name, float* v, float low,
                 bool lowIncluded, float ceiling, float fallback) {
  const bool above = lowIncluded ? *v >= low : *v > low;
  if (above && *v <= ceiling) return;
  reportFloat(path, name, *v, fallback);
  *v = fallback;
}

// Replaces every parameter that would break the budget rules.
void checkParameters(TimeManager* tm, const char* path) {
  checkInt(path, "movesDivisor", &tm->movesDivisor, 1, TM_MAX_MOVES_DIVISOR,
           TM_DEFAULT_MOVES_DIVISOR);
  checkInt(path, "easyMoveMargin", &tm->easyMoveMargin, 0, TM_MAX_MARGIN,
           TM_DEFAULT_EASY_MOVE_MARGIN);
  checkInt(path, "scoreDropMargin", &tm->scoreDropMargin, 0, TM_MAX_MARGIN,
           TM_DEFAULT_SCORE_DROP_MARGIN);
  checkFactor(path, "hardLimitFactor", &tm->hardLimitFactor, TM_MIN_HARD_LIMIT_FACTOR,
              true, TM_MAX_HARD_LIMIT_FACTOR, TM_DEFAULT_HARD_LIMIT_FACTOR);
  checkFactor(path, "easyMoveFactor", &tm->easyMoveFactor, 0.0f, false,
              tm->hardLimitFactor, TM_DEFAULT_EASY_MOVE_FACTOR);
  checkFactor(path, "softStopFactor", &tm->softStopFactor, 0.0f, false,
              tm->hardLimitFactor, TM_DEFAULT_SOFT_STOP_FACTOR);
}

}  // namespace

bool loadTimeManagement(TimeManager* tm, const char* path) {
  tm->setDefaults();
  TextReader in(path);
  if (!in.isOpen()) return false;
  in.skipLabels(1);
  in.readInt(&tm->reserveA);
  in.readInt(&tm->reserveB);
  in.skipLabels(1);
  in.readInt(&tm->movesDivisor);
  in.skipLabels(1);
  in.readInt(&tm->easyMoveOn);
  in.readInt(&tm->easyMoveMargin);
  in.readFloat(&tm->easyMoveFactor);
  in.skipLabels(1);
  in.readInt(&tm->softStopOn);
  in.readFloat(&tm->softStopFactor);
  in.skipLabels(1);
  in.readInt(&tm->scoreDropOn);
  in.readInt(&tm->scoreDropMargin);
  in.readFloat(&tm->hardLimitFactor);
  in.skipLabels(1);
  in.readInt(&tm->firstMoveStopOn);
  const bool ok = in.readEndMark();
  checkParameters(tm, path);
  return ok;
}
