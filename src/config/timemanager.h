// Time allocation: the parameters of TimeManagement.txt and the stop and
// extension decisions the search takes from them.
#pragma once

#include <cstdint>

struct Board;

struct TimeManager {
  int32_t reserveA, reserveB;
  int32_t movesDivisor;  // moves the remaining clock must serve (>= 1)
  int32_t easyMoveOn, easyMoveMargin;
  float easyMoveFactor;
  int32_t softStopOn;
  float softStopFactor;
  int32_t scoreDropOn, scoreDropMargin;
  float hardLimitFactor;
  int32_t firstMoveStopOn;
  // run-time state
  int32_t rootMoveIndex;
  int32_t lastScore;
  uint8_t scoreDropped, extendTime, failHighSeen, easyMove, stopNow;
  int64_t startMs;  // clock reading at the start of the search

  void setDefaults();
  void startIteration();
  // firstScore / secondScore: the ordered root list's first two scores
  // after the first iteration (rootMoves < 2 when there is no second).
  void iterationDone(int depth, int score, int rootMoves, int firstScore, int secondScore);
  void rootMoveScored(int depth, int score);
  bool shouldStopAfterIteration(int64_t now, int64_t softDeadline);
  bool mustStopNow(int64_t now, int64_t softDeadline, int64_t hardDeadline) const;
};

extern TimeManager timeManager;

// Reads the file into the manager; true when the end mark is right. Values
// that would break the budget rules are reported and replaced by defaults.
bool loadTimeManagement(TimeManager* tm, const char* path);
