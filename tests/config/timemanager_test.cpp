// The time manager's stop and extension decisions.
#include <gtest/gtest.h>

#include "config/timemanager.h"

namespace {

constexpr int64_t START = 1000000;  // clock readings far from 0
constexpr int32_t LIMIT = 10000;

struct Clock {
  int64_t soft = START + LIMIT;
  int64_t hard = 0;
};

TimeManager freshManager(Clock* clock) {
  TimeManager tm;  // built-in parameters: every switch on
  tm.startMs = START;
  clock->hard = tm.hardDeadline(START, LIMIT);
  tm.startIteration();
  return tm;
}

}  // namespace

TEST(TimeManagerDecisions, HardDeadlineIsStartPlusScaledLimit) {
  TimeManager tm;
  tm.hardLimitFactor = 2.5f;
  EXPECT_EQ(tm.hardDeadline(START, LIMIT), START + 25000);
  // A long session: deadlines beyond 32 bits stay exact.
  const int64_t late = int64_t(1) << 40;
  EXPECT_EQ(tm.hardDeadline(late, 3600000), late + 9000000);
}

TEST(TimeManagerDecisions, MustStopNowAtTheDeadlines) {
  Clock c;
  TimeManager tm = freshManager(&c);
  EXPECT_FALSE(tm.mustStopNow(c.soft - 1, c.soft, c.hard));
  EXPECT_TRUE(tm.mustStopNow(c.soft, c.soft, c.hard)) << "first root move, past soft";
  EXPECT_TRUE(tm.mustStopNow(c.hard, c.soft, c.hard));

  // First-move stop: past the soft deadline only the first root move stops.
  tm.rootMoveIndex = 3;
  EXPECT_FALSE(tm.mustStopNow(c.soft + 1, c.soft, c.hard));
  EXPECT_TRUE(tm.mustStopNow(c.hard, c.soft, c.hard));
  tm.firstMoveStopOn = 0;
  EXPECT_TRUE(tm.mustStopNow(c.soft + 1, c.soft, c.hard));
  // Only the lowest byte of a switch counts: 256 is off, 257 on.
  tm.firstMoveStopOn = 256;
  EXPECT_TRUE(tm.mustStopNow(c.soft + 1, c.soft, c.hard));
  tm.firstMoveStopOn = 257;
  EXPECT_FALSE(tm.mustStopNow(c.soft + 1, c.soft, c.hard));
}

TEST(TimeManagerDecisions, AFallingScoreRunsOnToTheHardDeadline) {
  Clock c;
  TimeManager tm = freshManager(&c);
  tm.iterationDone(1, 50, 2, 50, 40);
  tm.startIteration();
  tm.rootMoveScored(2, 50 - tm.scoreDropMargin);  // dropped by the margin
  EXPECT_TRUE(tm.scoreDropped);
  EXPECT_FALSE(tm.mustStopNow(c.hard - 1, c.soft, c.hard));
  EXPECT_TRUE(tm.mustStopNow(c.hard, c.soft, c.hard));

  // The drop carries over into the next iteration as extendTime.
  tm.iterationDone(2, 10, 2, 10, 0);
  EXPECT_TRUE(tm.extendTime);
  EXPECT_FALSE(tm.scoreDropped);
  tm.startIteration();
  EXPECT_FALSE(tm.shouldStopAfterIteration(c.soft + 5000, c.soft))
      << "never stops on the soft deadline alone while extending";
  EXPECT_FALSE(tm.mustStopNow(c.hard - 1, c.soft, c.hard));
  EXPECT_TRUE(tm.mustStopNow(c.hard, c.soft, c.hard));

  // A recovered score clears the drop; the next iteration stops normally.
  tm.rootMoveScored(3, 10);
  EXPECT_FALSE(tm.scoreDropped);
  tm.iterationDone(3, 10, 2, 10, 0);
  EXPECT_FALSE(tm.extendTime);
  EXPECT_TRUE(tm.shouldStopAfterIteration(c.soft, c.soft));
}

TEST(TimeManagerDecisions, ScoreDropIsIgnoredAtDepthOneOrWhenOff) {
  Clock c;
  TimeManager tm = freshManager(&c);
  tm.lastScore = 100;
  tm.rootMoveScored(1, -500);
  EXPECT_FALSE(tm.scoreDropped);
  tm.scoreDropOn = 256;
  tm.rootMoveScored(5, -500);
  EXPECT_FALSE(tm.scoreDropped);
  tm.scoreDropOn = 1;
  tm.rootMoveScored(5, 100 - tm.scoreDropMargin + 1);
  EXPECT_FALSE(tm.scoreDropped) << "a drop smaller than the margin";
}

TEST(TimeManagerDecisions, EasyMoveStopsEarly) {
  Clock c;
  TimeManager tm = freshManager(&c);
  // One root move far ahead of the second after depth 1.
  tm.iterationDone(1, 300, 5, 300, 300 - tm.easyMoveMargin);
  EXPECT_TRUE(tm.easyMove);
  const int64_t easyPoint = START + static_cast<int64_t>(LIMIT * tm.easyMoveFactor);
  tm.startIteration();
  EXPECT_FALSE(tm.shouldStopAfterIteration(easyPoint - 10, c.soft));
  EXPECT_TRUE(tm.shouldStopAfterIteration(easyPoint + 10, c.soft));

  // A close second, or a single root move, is no easy move.
  TimeManager close = freshManager(&c);
  close.iterationDone(1, 300, 5, 300, 300 - close.easyMoveMargin + 1);
  EXPECT_FALSE(close.easyMove);
  close.iterationDone(1, 300, 1, 300, -19999);
  EXPECT_FALSE(close.easyMove);

  // A later fall of the score takes the easy move back.
  tm.iterationDone(2, 300, 5, 300, 0);
  tm.startIteration();
  tm.rootMoveScored(3, 300 - tm.scoreDropMargin);
  EXPECT_FALSE(tm.easyMove);
}

TEST(TimeManagerDecisions, SoftStopAndFailHigh) {
  Clock c;
  TimeManager tm = freshManager(&c);
  const int64_t softPoint = START + static_cast<int64_t>(LIMIT * tm.softStopFactor);
  EXPECT_FALSE(tm.shouldStopAfterIteration(softPoint - 10, c.soft));
  EXPECT_TRUE(tm.shouldStopAfterIteration(softPoint + 10, c.soft));

  // A fail-high seen in this iteration keeps the search going to the deadline.
  tm.startIteration();
  tm.failHighSeen = 1;
  EXPECT_FALSE(tm.shouldStopAfterIteration(softPoint + 10, c.soft));
  EXPECT_TRUE(tm.shouldStopAfterIteration(c.soft, c.soft));

  // With the soft stop off, only the deadline ends the search.
  TimeManager off = freshManager(&c);
  off.softStopOn = 0;
  EXPECT_FALSE(off.shouldStopAfterIteration(c.soft - 1, c.soft));
  EXPECT_TRUE(off.shouldStopAfterIteration(c.soft, c.soft));
}

TEST(TimeManagerDecisions, StartIterationClearsTheIterationFlags) {
  TimeManager tm;
  tm.scoreDropped = tm.failHighSeen = tm.stopNow = tm.easyMove = tm.extendTime = 1;
  tm.startIteration();
  EXPECT_FALSE(tm.scoreDropped);
  EXPECT_FALSE(tm.failHighSeen);
  EXPECT_FALSE(tm.stopNow);
  EXPECT_TRUE(tm.easyMove);
  EXPECT_TRUE(tm.extendTime);
}
