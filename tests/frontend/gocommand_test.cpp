#include <gtest/gtest.h>

#include "config/searchoptions.h"
#include "frontend/gocommand.h"

TEST(BoundedInt, LeadingDigitsOnlyAndClampedWhileReading) {
  EXPECT_EQ(parseBoundedInt("2999", 255), 255);
  EXPECT_EQ(parseBoundedInt("42abc", 1000), 42);
  EXPECT_EQ(parseBoundedInt("", 10), 0);
  EXPECT_EQ(parseBoundedInt(" 5", 10), 0);
  EXPECT_EQ(parseBoundedInt("-5", 10), 0);
  EXPECT_EQ(parseBoundedInt("99999999999999999999999", 600000), 600000);
}

namespace {
constexpr int DIVISOR = 40;
constexpr int TIMED_DEPTH = 30;
GoRequest go(const char* line) { return parseGoCommand(line, DIVISOR, TIMED_DEPTH); }
}  // namespace

TEST(GoCommand, TimeBudgetRules) {
  EXPECT_EQ(go("go time 60 increment 2").timeLimitMs, 3500);
  EXPECT_EQ(go("go time 60 movestogo 10").timeLimitMs, 1500);
  // Sudden death: the clock must last the game, not this move.
  EXPECT_EQ(go("go time 60").timeLimitMs, 1500);
  EXPECT_EQ(go("go time 60 movestogo 0 increment 2").timeLimitMs, 3500);
  EXPECT_EQ(go("go time 60 movestogo 0").timeLimitMs, 1500);
  EXPECT_EQ(go("go time 9999999").timeLimitMs, 600000 * 1000 / DIVISOR);
  EXPECT_EQ(go("go time 9999999").clockMs, 600000 * 1000);
  // The opponent's clock is not ours.
  EXPECT_EQ(go("go opptime 5 time 60 oppincrement 9").timeLimitMs, 1500);
  EXPECT_EQ(go("go time 60 oppmovestogo 5 increment 2").timeLimitMs, 3500);
  EXPECT_EQ(go("go opptime 5 oppincrement 9").setsTimeLimit, false);
  const GoRequest timed = go("go time 60");
  EXPECT_TRUE(timed.setsTimeLimit);
  EXPECT_FALSE(timed.setsMaxDepth);
  EXPECT_EQ(timed.depth, TIMED_DEPTH);
  EXPECT_EQ(timed.clockMs, 60000);
  EXPECT_EQ(go("go depth 5").clockMs, -1);
  // No usable divisor: the budget is still computed, never divided by zero.
  EXPECT_EQ(parseGoCommand("go time 60 increment 2", 0, 1).timeLimitMs, 62000);
  EXPECT_EQ(parseGoCommand("go time 600000 increment 1024", 1000000, 1).timeLimitMs, 1024600);
  // A timed depth of 0 (a short option image) sets no depth limit.
  EXPECT_EQ(parseGoCommand("go time 60", DIVISOR, 0).depth, 255);
}

TEST(GoCommand, DepthOverridesTimeAndInfiniteOverridesDepth) {
  const GoRequest deep = go("go depth 300");
  EXPECT_EQ(deep.depth, 255);
  EXPECT_EQ(deep.maxDepth, 255);
  EXPECT_TRUE(deep.setsMaxDepth);
  EXPECT_EQ(deep.timeLimitMs, 268435455);
  const GoRequest both = go("go time 60 depth 7");
  EXPECT_EQ(both.depth, 7);
  EXPECT_EQ(both.timeLimitMs, 268435455);
  const GoRequest infinite = go("go infinite depth 5");
  EXPECT_EQ(infinite.timeLimitMs, 3600000);
  EXPECT_EQ(infinite.depth, 255);
  EXPECT_FALSE(infinite.setsMaxDepth);
  EXPECT_EQ(go("ponder depth 3").depth, 3);
  EXPECT_EQ(go("go ponder depth 3").depth, 3);
}

TEST(GoCommand, PlainGoKeepsTheStoredLimit) {
  SearchOptions options{};
  options.timeLimitMs = 1234;
  options.maxDepth = 1;
  const GoRequest plain = go("go");
  EXPECT_FALSE(plain.setsTimeLimit);
  EXPECT_EQ(plain.depth, 255);
  applyGoRequest(plain, &options);
  EXPECT_EQ(options.timeLimitMs, 1234);
  EXPECT_EQ(options.maxDepth, 1);
  applyGoRequest(go("go depth 9"), &options);
  EXPECT_EQ(options.timeLimitMs, 268435455);
  EXPECT_EQ(options.maxDepth, 9);
  // Any line without "depth" puts the clock back in charge.
  for (const char* line : {"go", "go time 5", "go infinite", "ponder"}) {
    applyGoRequest(go("go depth 9"), &options);
    applyGoRequest(go(line), &options);
    EXPECT_EQ(options.maxDepth, 1) << line;
  }
  // Garbage numbers read as 0.
  EXPECT_EQ(go("go depth x").depth, 0);
  EXPECT_EQ(go("go time").timeLimitMs, 0);
}

TEST(GoCommand, MillisecondClockFollowsTheSameRulesAndScaledLimits) {
  const auto ms = [](const char* line) {
    return parseGoCommand(line, DIVISOR, TIMED_DEPTH, true);
  };
  EXPECT_EQ(ms("go time 60000 increment 2000").timeLimitMs, 3500);
  EXPECT_EQ(ms("go time 60000 movestogo 10").timeLimitMs, 1500);
  EXPECT_EQ(ms("go time 60000").clockMs, 60000);
  EXPECT_EQ(ms("go time 3000 increment 0").timeLimitMs, 3000 / DIVISOR);
  // The limits of the seconds, in milliseconds.
  EXPECT_EQ(ms("go time 99999999999").clockMs, 600000000);
  EXPECT_EQ(ms("go time 99999999999").timeLimitMs, 600000000 / DIVISOR);
  EXPECT_EQ(ms("go time 0 increment 99999999").timeLimitMs, 1024000);
  EXPECT_EQ(ms("go opptime 5000 oppincrement 9000 time 60000 increment 2000").timeLimitMs, 3500);
  // Depth and infinite lines have no clock to read.
  EXPECT_EQ(ms("go depth 5").timeLimitMs, 268435455);
  EXPECT_EQ(ms("go infinite").timeLimitMs, 3600000);
}
