// Time allocation: the parameters of TimeManagement.txt and the stop and
// extension decisions the search takes from them.
#pragma once

#include <cstdint>

// Built-in parameters, used until TimeManagement.txt is read and in place of
// any value it gives that would break the budget rules.
constexpr int32_t TM_DEFAULT_MOVES_DIVISOR = 32;
constexpr int32_t TM_MAX_MOVES_DIVISOR = 1000;
constexpr int32_t TM_DEFAULT_EASY_MOVE_MARGIN = 60;
constexpr float TM_DEFAULT_EASY_MOVE_FACTOR = 0.3f;
constexpr float TM_DEFAULT_SOFT_STOP_FACTOR = 0.6f;
constexpr int32_t TM_DEFAULT_SCORE_DROP_MARGIN = 40;
constexpr float TM_DEFAULT_HARD_LIMIT_FACTOR = 2.5f;
constexpr int32_t TM_MAX_MARGIN = 2000;
constexpr float TM_MIN_HARD_LIMIT_FACTOR = 1.0f;
constexpr float TM_MAX_HARD_LIMIT_FACTOR = 10.0f;

struct TimeManager {
  int32_t reserveA = 0, reserveB = 0;
  int32_t movesDivisor = TM_DEFAULT_MOVES_DIVISOR;  // >= 1
  // Switches count as on when their lowest byte is nonzero.
  int32_t easyMoveOn = 1;
  int32_t easyMoveMargin = TM_DEFAULT_EASY_MOVE_MARGIN;
  float easyMoveFactor = TM_DEFAULT_EASY_MOVE_FACTOR;
  int32_t softStopOn = 1;
  float softStopFactor = TM_DEFAULT_SOFT_STOP_FACTOR;
  int32_t scoreDropOn = 1;
  int32_t scoreDropMargin = TM_DEFAULT_SCORE_DROP_MARGIN;
  float hardLimitFactor = TM_DEFAULT_HARD_LIMIT_FACTOR;
  int32_t firstMoveStopOn = 1;
  // run-time state
  int32_t rootMoveIndex = 0;  // root move being searched (0 = the first)
  int32_t lastScore = 0;      // score of the last completed iteration
  uint8_t scoreDropped = 0, extendTime = 0, failHighSeen = 0, easyMove = 0,
          stopNow = 0;
  int64_t startMs = 0;  // clock reading at the start of the search

  // Built-in parameters and a cleared run-time state.
  void setDefaults() { *this = TimeManager{}; }
  // The latest moment a search may run: start + limit x hardLimitFactor.
  int64_t hardDeadline(int64_t start, int32_t limitMs) const {
    return start + static_cast<int64_t>(static_cast<double>(limitMs) * hardLimitFactor);
  }

  void startIteration();
  // firstScore / secondScore: the ordered root list's first two scores
  // after the first iteration (rootMoves < 2 when there is no second).
  void iterationDone(int depth, int score, int rootMoves, int firstScore, int secondScore);
  void rootMoveScored(int depth, int score);
  bool shouldStopAfterIteration(int64_t now, int64_t softDeadline);
  bool mustStopNow(int64_t now, int64_t softDeadline, int64_t hardDeadline) const;
};

extern TimeManager timeManager;

// Reads the file into the manager; true when the end mark is right. The
// manager starts from the built-in parameters, so a missing or broken file
// leaves working values; values that would break the budget rules are
// reported on stderr and replaced by the built-in ones.
bool loadTimeManagement(TimeManager* tm, const char* path);
