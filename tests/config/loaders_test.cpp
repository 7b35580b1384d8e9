// Config.ini, TimeManagement.txt and the shared item reader.
#include <gtest/gtest.h>

#include <cmath>

#include "config/config.h"
#include "config/textreader.h"
#include "config/timemanager.h"
#include "testfiles.h"

namespace {

bool loadConfigText(const std::string& text, int* sizeMb, std::string* messages = nullptr) {
  TempFile file(text);
  testing::internal::CaptureStderr();
  const bool ok = loadConfig(file.path(), sizeMb);
  const std::string err = testing::internal::GetCapturedStderr();
  if (messages != nullptr) *messages = err;
  return ok;
}

const char* const GOOD_TIME_FILE =
    "reserved 7 8\n"
    "divisor 40\n"
    "easy 1 120 0.25\n"
    "soft 1 0.5\n"
    "drop 1 35 3.0\n"
    "first 0\n"
    "333 444 555 666 777\n";

}  // namespace

TEST(TextReader, ReadsLabelsNumbersAndTheEndMark) {
  TempFile file("label 12 -7\n\tword 0.25  1e1 another 333 444 555 666 777 trailing");
  TextReader in(file.path());
  int32_t a = 0, b = 0;
  float x = 0, y = 0;
  EXPECT_TRUE(in.skipLabels(1));
  EXPECT_TRUE(in.readInt(&a));
  EXPECT_TRUE(in.readInt(&b));
  EXPECT_TRUE(in.skipLabels(1));
  EXPECT_TRUE(in.readFloat(&x));
  EXPECT_TRUE(in.readFloat(&y));
  EXPECT_TRUE(in.skipLabels(1));
  EXPECT_TRUE(in.readEndMark());
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, -7);
  EXPECT_FLOAT_EQ(x, 0.25f);
  EXPECT_FLOAT_EQ(y, 10.0f);
}

TEST(TextReader, StopsAtTheFirstBadItemAndTouchesNothingAfter) {
  const char* const bad[] = {"12abc", "nan", "inf", "99999999999", "0x10", "1.5"};
  for (const char* token : bad) {
    TempFile file(std::string("7 ") + token + " 9");
    TextReader in(file.path());
    int32_t first = -1, second = -1, third = -1;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(in.readInt(&first));
    EXPECT_FALSE(in.readInt(&second)) << token;
    EXPECT_FALSE(in.readInt(&third)) << token;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(first, 7);
    EXPECT_EQ(second, -1) << token;
    EXPECT_EQ(third, -1) << "no read after a fault";
    EXPECT_FALSE(in.good());
    EXPECT_EQ(countOccurrences(err, "\n"), 1) << "one report per fault: " << err;
  }
  // A float read rejects the same words, and "nan" and "inf" too.
  TempFile file("nan");
  TextReader in(file.path());
  float f = 3.0f;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(in.readFloat(&f));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(f, 3.0f);
}

TEST(TextReader, AMissingFileReadsNothing) {
  TextReader in("/nonexistent/tolvane/file.txt");
  int32_t v = 5;
  EXPECT_FALSE(in.isOpen());
  EXPECT_FALSE(in.readInt(&v));
  EXPECT_FALSE(in.readEndMark());
  EXPECT_EQ(v, 5);
}

TEST(Config, EndMarkRules) {
  int size = 32;
  EXPECT_TRUE(loadConfigText("hash 64 spare 1 333 444 555 666 777", &size));
  EXPECT_EQ(size, 64);

  // A wrong end mark fails, but the size already read stays.
  size = 32;
  EXPECT_FALSE(loadConfigText("hash 128 spare 1 333 444 555 666 0", &size));
  EXPECT_EQ(size, 128);

  // One number short.
  size = 32;
  EXPECT_FALSE(loadConfigText("hash 256 spare 1 333 444 555 666", &size));
  EXPECT_EQ(size, 256);

  // A size that is no number leaves the size alone.
  size = 32;
  EXPECT_FALSE(loadConfigText("hash big spare 1 333 444 555 666 777", &size));
  EXPECT_EQ(size, 32);

  size = 32;
  EXPECT_FALSE(loadConfig("/nonexistent/Config.ini", &size));
  EXPECT_EQ(size, 32);
}

TEST(Config, HashSizeIsKeptWithinTheTableRange) {
  const struct {
    int given, expected;
  } cases[] = {{8, 16}, {5000, 1024}, {0, 32}, {-64, 32}, {16, 16}, {1024, 1024}};
  for (const auto& c : cases) {
    int size = 77;
    std::string messages;
    const std::string text = "hash " + std::to_string(c.given) + " spare 0 333 444 555 666 777";
    EXPECT_TRUE(loadConfigText(text, &size, &messages)) << c.given;
    EXPECT_EQ(size, c.expected) << c.given;
    EXPECT_EQ(messages.empty(), c.given == c.expected) << messages;
  }
}

TEST(TimeManagement, LoadsEveryParameter) {
  TempFile file(GOOD_TIME_FILE);
  TimeManager tm;
  ASSERT_TRUE(loadTimeManagement(&tm, file.path()));
  EXPECT_EQ(tm.reserveA, 7);
  EXPECT_EQ(tm.reserveB, 8);
  EXPECT_EQ(tm.movesDivisor, 40);
  EXPECT_EQ(tm.easyMoveOn, 1);
  EXPECT_EQ(tm.easyMoveMargin, 120);
  EXPECT_FLOAT_EQ(tm.easyMoveFactor, 0.25f);
  EXPECT_EQ(tm.softStopOn, 1);
  EXPECT_FLOAT_EQ(tm.softStopFactor, 0.5f);
  EXPECT_EQ(tm.scoreDropOn, 1);
  EXPECT_EQ(tm.scoreDropMargin, 35);
  EXPECT_FLOAT_EQ(tm.hardLimitFactor, 3.0f);
  EXPECT_EQ(tm.firstMoveStopOn, 0);
}

TEST(TimeManagement, AWrongEndMarkFailsButKeepsTheParameters) {
  std::string text = GOOD_TIME_FILE;
  text.replace(text.find("777"), 3, "778");
  TempFile file(text);
  TimeManager tm;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(loadTimeManagement(&tm, file.path()));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(tm.movesDivisor, 40);
  EXPECT_EQ(tm.firstMoveStopOn, 0);
}

TEST(TimeManagement, AMissingOrBrokenFileLeavesWorkingDefaults) {
  TimeManager tm;
  tm.movesDivisor = 0;
  EXPECT_FALSE(loadTimeManagement(&tm, "/nonexistent/TimeManagement.txt"));
  EXPECT_EQ(tm.movesDivisor, TM_DEFAULT_MOVES_DIVISOR);
  EXPECT_GE(tm.movesDivisor, 1);
  EXPECT_FLOAT_EQ(tm.hardLimitFactor, TM_DEFAULT_HARD_LIMIT_FACTOR);

  // Broken off after the divisor: what was read stays, the rest is built in.
  TempFile file("reserved 0 0 divisor 25 easy 1");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(loadTimeManagement(&tm, file.path()));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(tm.movesDivisor, 25);
  EXPECT_EQ(tm.easyMoveOn, 1);
  EXPECT_EQ(tm.easyMoveMargin, TM_DEFAULT_EASY_MOVE_MARGIN);
  EXPECT_FLOAT_EQ(tm.softStopFactor, TM_DEFAULT_SOFT_STOP_FACTOR);
}

TEST(TimeManagement, ValuesThatBreakTheBudgetAreReplaced) {
  struct Case {
    const char* text;
    const char* reported;
  };
  const Case cases[] = {
      {"r 0 0 d 0 e 1 60 0.3 s 1 0.6 h 1 40 2.5 f 1 333 444 555 666 777", "movesDivisor"},
      {"r 0 0 d -5 e 1 60 0.3 s 1 0.6 h 1 40 2.5 f 1 333 444 555 666 777", "movesDivisor"},
      {"r 0 0 d 5000 e 1 60 0.3 s 1 0.6 h 1 40 2.5 f 1 333 444 555 666 777", "movesDivisor"},
      {"r 0 0 d 30 e 1 -60 0.3 s 1 0.6 h 1 40 2.5 f 1 333 444 555 666 777", "easyMoveMargin"},
      {"r 0 0 d 30 e 1 60 0 s 1 0.6 h 1 40 2.5 f 1 333 444 555 666 777", "easyMoveFactor"},
      {"r 0 0 d 30 e 1 60 0.3 s 1 3.5 h 1 40 2.5 f 1 333 444 555 666 777", "softStopFactor"},
      {"r 0 0 d 30 e 1 60 0.3 s 1 0.6 h 1 -40 2.5 f 1 333 444 555 666 777", "scoreDropMargin"},
      {"r 0 0 d 30 e 1 60 0.3 s 1 0.6 h 1 40 0 f 1 333 444 555 666 777", "hardLimitFactor"},
      {"r 0 0 d 30 e 1 60 0.3 s 1 0.6 h 1 40 -2 f 1 333 444 555 666 777", "hardLimitFactor"},
      {"r 0 0 d 30 e 1 60 0.3 s 1 0.6 h 1 40 50 f 1 333 444 555 666 777", "hardLimitFactor"},
  };
  for (const Case& c : cases) {
    TempFile file(c.text);
    TimeManager tm;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(loadTimeManagement(&tm, file.path())) << c.text;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(c.reported), std::string::npos) << c.text << "\n" << err;
    EXPECT_GE(tm.movesDivisor, 1);
    EXPECT_LE(tm.movesDivisor, TM_MAX_MOVES_DIVISOR);
    EXPECT_GE(tm.hardLimitFactor, TM_MIN_HARD_LIMIT_FACTOR);
    EXPECT_LE(tm.hardLimitFactor, TM_MAX_HARD_LIMIT_FACTOR);
    EXPECT_GT(tm.softStopFactor, 0.0f);
    EXPECT_LE(tm.softStopFactor, tm.hardLimitFactor);
    EXPECT_GT(tm.easyMoveFactor, 0.0f);
    EXPECT_LE(tm.easyMoveFactor, tm.hardLimitFactor);
    EXPECT_GE(tm.easyMoveMargin, 0);
    EXPECT_GE(tm.scoreDropMargin, 0);
  }
}
