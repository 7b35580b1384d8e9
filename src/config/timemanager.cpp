#include "config/timemanager.h"

#include <algorithm>

TimeManager timeManager;

namespace {
// Only the lowest byte of a switch counts.
bool isOn(int32_t sw) { return (sw & 0xFF) != 0; }
}  // namespace

void TimeManager::startIteration() {
  scoreDropped = 0;
  failHighSeen = 0;
  stopNow = 0;
}

void TimeManager::iterationDone(int depth, int score, int rootMoves,
                                int firstScore, int secondScore) {
  lastScore = score;
  if (depth == 1 && rootMoves >= 2 &&
      static_cast<int64_t>(firstScore) >= static_cast<int64_t>(secondScore) + easyMoveMargin)
    easyMove = 1;
  if (isOn(scoreDropOn) && depth > 1) {
    extendTime = scoreDropped;
    scoreDropped = 0;
  }
}

void TimeManager::rootMoveScored(int depth, int score) {
  if (!isOn(scoreDropOn) || depth <= 1) return;
  if (static_cast<int64_t>(score) <= static_cast<int64_t>(lastScore) - scoreDropMargin) {
    scoreDropped = 1;
    easyMove = 0;
    stopNow = 0;
  } else {
    scoreDropped = 0;
  }
}

bool TimeManager::shouldStopAfterIteration(int64_t now, int64_t softDeadline) {
  const double elapsed = static_cast<double>(now - startMs);
  const double limit = static_cast<double>(softDeadline - startMs);
  if (now >= softDeadline && !extendTime) {
    stopNow = 1;
  } else {
    if (isOn(easyMoveOn) && easyMove && elapsed >= limit * easyMoveFactor) stopNow = 1;
    if (isOn(softStopOn) && !extendTime && !failHighSeen &&
        elapsed >= limit * softStopFactor)
      stopNow = 1;
  }
  return stopNow != 0;
}

bool TimeManager::mustStopNow(int64_t now, int64_t softDeadline,
                              int64_t hardDeadline) const {
  if (now >= hardDeadline) return true;
  if (now < softDeadline) return false;
  // Past the soft deadline: a falling score may use the time up to the hard
  // deadline; otherwise stop, unless a later root move is being searched.
  if (scoreDropped || extendTime) return false;
  if (!isOn(firstMoveStopOn)) return true;
  return rootMoveIndex == 0;
}
