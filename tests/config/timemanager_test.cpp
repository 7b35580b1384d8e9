// The iteration guard of the time manager: budget 1000 ms from 0, hard
// deadline 2500 ms.
#include <gtest/gtest.h>

#include "config/timemanager.h"

namespace {

struct Guard {
  TimeManager tm;
  Guard() { tm.guard = true; }
  // An iteration of `depth` from `start` to `end`: true when the search stops.
  bool iteration(int64_t start, int64_t end, int depth, bool changed = false) {
    tm.iterationStartMs = start;
    return tm.guardedStopAfterIteration(end, 1000, 2500, depth, changed);
  }
};

// The guard's budget: 1000 ms x TM_GUARD_BUDGET_SCALE = 1500 ms.
TEST(IterationGuard, StartsOnlyIterationsThatCanEndInTime) {
  Guard g, same;
  EXPECT_FALSE(g.iteration(0, 100, 5));          // the next, twice as long, ends near 300
  EXPECT_FALSE(same.iteration(0, 100, 5));
  EXPECT_TRUE(same.iteration(100, 500, 6));      // grew 4 times: the next ends near 2100
  EXPECT_FALSE(g.iteration(100, 500, 6, true));  // ... within a new best move's 2400
  EXPECT_TRUE(g.iteration(500, 2100, 7, true));  // the next would end past 2500
  EXPECT_TRUE(g.tm.mustStopNow(2500, 1000, 2500));
  EXPECT_FALSE(g.tm.mustStopNow(2499, 1000, 2500)) << "a started iteration runs to the end";
}

TEST(IterationGuard, LessTimeOnceTheBestMoveHolds) {
  Guard stable;
  for (int i = 0; i < TM_GUARD_STABLE_ITERATIONS - 1; ++i) EXPECT_FALSE(stable.iteration(0, 10, 3));
  EXPECT_FALSE(Guard().iteration(300, 450, 8));  // ends near 750, within the budget
  EXPECT_TRUE(stable.iteration(300, 450, 8));    // ... but past 0.6 of it (near 1050)
}

}  // namespace
