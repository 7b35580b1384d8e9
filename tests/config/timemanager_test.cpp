// The time manager's stop and extension decisions.
#include <gtest/gtest.h>

#include "config/timemanager.h"

namespace {

constexpr int64_t START = int64_t(1) << 33;  // deadlines beyond 32 bits
constexpr int32_t LIMIT = 10000;
constexpr int64_t SOFT = START + LIMIT;

TimeManager freshManager() {
  TimeManager tm;  // built-in parameters: every switch on
  tm.startMs = START;
  tm.startIteration();
  return tm;
}

}  // namespace

TEST(TimeManagerDecisions, MustStopNowAtTheDeadlines) {
  TimeManager tm = freshManager();
  const int64_t hard = tm.hardDeadline(START, LIMIT);
  EXPECT_EQ(hard, START + 25000);
  EXPECT_FALSE(tm.mustStopNow(SOFT - 1, SOFT, hard));
  EXPECT_TRUE(tm.mustStopNow(SOFT, SOFT, hard)) << "first root move, past soft";

  // First-move stop: past the soft deadline a later root move runs on.
  tm.rootMoveIndex = 3;
  EXPECT_FALSE(tm.mustStopNow(SOFT + 1, SOFT, hard));
  EXPECT_TRUE(tm.mustStopNow(hard, SOFT, hard));
  tm.firstMoveStopOn = 0;
  EXPECT_TRUE(tm.mustStopNow(SOFT + 1, SOFT, hard));
  // Only the lowest byte of a switch counts: 256 is off, 257 on.
  tm.firstMoveStopOn = 256;
  EXPECT_TRUE(tm.mustStopNow(SOFT + 1, SOFT, hard));
  tm.firstMoveStopOn = 257;
  EXPECT_FALSE(tm.mustStopNow(SOFT + 1, SOFT, hard));
}

TEST(TimeManagerDecisions, AFallingScoreRunsOnToTheHardDeadline) {
  TimeManager tm = freshManager();
  const int64_t hard = tm.hardDeadline(START, LIMIT);
  tm.iterationDone(1, 50, 2, 50, 40);
  tm.startIteration();
  tm.rootMoveScored(1, -500);
  EXPECT_FALSE(tm.scoreDropped) << "no drop at depth 1";
  tm.rootMoveScored(2, 50 - tm.scoreDropMargin + 1);
  EXPECT_FALSE(tm.scoreDropped) << "a drop smaller than the margin";
  tm.rootMoveScored(2, 50 - tm.scoreDropMargin);
  EXPECT_TRUE(tm.scoreDropped);
  EXPECT_FALSE(tm.mustStopNow(hard - 1, SOFT, hard));
  EXPECT_TRUE(tm.mustStopNow(hard, SOFT, hard));

  // The drop carries over into the next iteration as extendTime: the soft
  // deadline alone never stops it then.
  tm.iterationDone(2, 10, 2, 10, 0);
  EXPECT_TRUE(tm.extendTime);
  tm.startIteration();
  EXPECT_FALSE(tm.shouldStopAfterIteration(SOFT + 5000, SOFT));
  EXPECT_FALSE(tm.mustStopNow(hard - 1, SOFT, hard));

  // A recovered score clears it; the next iteration stops normally.
  tm.rootMoveScored(3, 10);
  tm.iterationDone(3, 10, 2, 10, 0);
  EXPECT_FALSE(tm.extendTime);
  EXPECT_TRUE(tm.shouldStopAfterIteration(SOFT, SOFT));

  // With the switch off (lowest byte 0) nothing drops.
  TimeManager off = freshManager();
  off.scoreDropOn = 256;
  off.rootMoveScored(5, -500);
  EXPECT_FALSE(off.scoreDropped);
}

TEST(TimeManagerDecisions, EasyMoveStopsEarly) {
  TimeManager tm = freshManager();
  tm.iterationDone(1, 300, 5, 300, 300 - tm.easyMoveMargin);
  EXPECT_TRUE(tm.easyMove);
  const int64_t easyPoint = START + static_cast<int64_t>(LIMIT * tm.easyMoveFactor);
  tm.startIteration();
  EXPECT_FALSE(tm.shouldStopAfterIteration(easyPoint - 10, SOFT));
  EXPECT_TRUE(tm.shouldStopAfterIteration(easyPoint + 10, SOFT));

  // A close second, or a single root move, is no easy move.
  TimeManager close = freshManager();
  close.iterationDone(1, 300, 5, 300, 300 - close.easyMoveMargin + 1);
  close.iterationDone(1, 300, 1, 300, -19999);
  EXPECT_FALSE(close.easyMove);

  // A later fall of the score takes the easy move back.
  tm.iterationDone(2, 300, 5, 300, 0);
  tm.startIteration();
  tm.rootMoveScored(3, 300 - tm.scoreDropMargin);
  EXPECT_FALSE(tm.easyMove);
}

TEST(TimeManagerDecisions, SoftStopAndFailHigh) {
  TimeManager tm = freshManager();
  const int64_t softPoint = START + static_cast<int64_t>(LIMIT * tm.softStopFactor);
  EXPECT_FALSE(tm.shouldStopAfterIteration(softPoint - 10, SOFT));
  EXPECT_TRUE(tm.shouldStopAfterIteration(softPoint + 10, SOFT));

  // A fail-high seen in this iteration keeps the search going to the deadline.
  tm.startIteration();
  tm.failHighSeen = 1;
  EXPECT_FALSE(tm.shouldStopAfterIteration(softPoint + 10, SOFT));
  EXPECT_TRUE(tm.shouldStopAfterIteration(SOFT, SOFT));

  TimeManager off = freshManager();
  off.softStopOn = 0;
  EXPECT_FALSE(off.shouldStopAfterIteration(SOFT - 1, SOFT));
}
