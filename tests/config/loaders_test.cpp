// Config.ini, TimeManagement.txt and the shared item reader.
#include <gtest/gtest.h>

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

bool loadTimeText(const std::string& text, TimeManager* tm, std::string* messages) {
  TempFile file(text);
  testing::internal::CaptureStderr();
  const bool ok = loadTimeManagement(tm, file.path());
  *messages = testing::internal::GetCapturedStderr();
  return ok;
}

}  // namespace

TEST(TextReader, StopsAtTheFirstBadItemAndTouchesNothingAfter) {
  for (const char* token : {"12abc", "nan", "99999999999", "0x10", "1.5"}) {
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
    EXPECT_EQ(countOccurrences(err, "\n"), 1) << "one report per fault: " << err;
  }
  TempFile file("inf");
  TextReader in(file.path());
  float f = 3.0f;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(in.readFloat(&f));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(f, 3.0f);
}

TEST(Config, EndMarkRules) {
  int size = 32;
  EXPECT_TRUE(loadConfigText("hash 64 spare 1 333 444 555 666 777", &size));
  EXPECT_EQ(size, 64);
  // A wrong or short end mark fails, but the size already read stays.
  EXPECT_FALSE(loadConfigText("hash 128 spare 1 333 444 555 666 0", &size));
  EXPECT_EQ(size, 128);
  EXPECT_FALSE(loadConfigText("hash 256 spare 1 333 444 555 666", &size));
  EXPECT_EQ(size, 256);
  // A size that is no number leaves the size alone.
  EXPECT_FALSE(loadConfigText("hash big spare 1 333 444 555 666 777", &size));
  EXPECT_EQ(size, 256);
  EXPECT_FALSE(loadConfig("/nonexistent/Config.ini", &size));
  EXPECT_EQ(size, 256);
}

TEST(Config, HashSizeIsKeptWithinTheTableRange) {
  const int cases[][2] = {{8, 16}, {5000, 1024}, {0, 32}, {-64, 32}, {16, 16}, {1024, 1024}};
  for (const auto& c : cases) {
    int size = 77;
    std::string messages;
    EXPECT_TRUE(loadConfigText("hash " + std::to_string(c[0]) + " spare 0 333 444 555 666 777",
                               &size, &messages));
    EXPECT_EQ(size, c[1]) << c[0];
    EXPECT_EQ(messages.empty(), c[0] == c[1]) << messages;
  }
}

TEST(TimeManagement, EndMarkRulesAndDefaults) {
  const std::string good = "r 7 8 d 40 e 1 120 0.25 s 1 0.5 h 1 35 3.0 f 0 333 444 555 666 ";
  TimeManager tm;
  std::string messages;
  EXPECT_TRUE(loadTimeText(good + "777", &tm, &messages));
  EXPECT_EQ(tm.movesDivisor, 40);
  EXPECT_FLOAT_EQ(tm.easyMoveFactor, 0.25f);
  EXPECT_EQ(tm.scoreDropMargin, 35);
  EXPECT_FLOAT_EQ(tm.hardLimitFactor, 3.0f);
  EXPECT_EQ(tm.firstMoveStopOn, 0);

  // Every parameter read, but the mark is wrong.
  EXPECT_FALSE(loadTimeText(good + "778", &tm, &messages));
  EXPECT_EQ(tm.movesDivisor, 40);
  EXPECT_EQ(tm.firstMoveStopOn, 0);

  // Missing: built-in parameters with a usable divisor.
  tm.movesDivisor = 0;
  EXPECT_FALSE(loadTimeManagement(&tm, "/nonexistent/TimeManagement.txt"));
  EXPECT_EQ(tm.movesDivisor, TM_DEFAULT_MOVES_DIVISOR);

  // Broken off after the divisor: what was read stays, the rest is built in.
  EXPECT_FALSE(loadTimeText("reserved 0 0 divisor 25 easy 1", &tm, &messages));
  EXPECT_NE(messages.find("ends before item 8"), std::string::npos) << messages;
  EXPECT_EQ(tm.movesDivisor, 25);
  EXPECT_EQ(tm.easyMoveMargin, TM_DEFAULT_EASY_MOVE_MARGIN);
  EXPECT_FLOAT_EQ(tm.softStopFactor, TM_DEFAULT_SOFT_STOP_FACTOR);
}

TEST(TimeManagement, ValuesThatBreakTheBudgetAreReplaced) {
  const char* const cases[][2] = {
      {"d 0 e 1 60 0.3 s 1 0.6 h 1 40 2.5", "movesDivisor"},
      {"d -5 e 1 60 0.3 s 1 0.6 h 1 40 2.5", "movesDivisor"},
      {"d 5000 e 1 60 0.3 s 1 0.6 h 1 40 2.5", "movesDivisor"},
      {"d 30 e 1 -60 0.3 s 1 0.6 h 1 40 2.5", "easyMoveMargin"},
      {"d 30 e 1 60 0 s 1 0.6 h 1 40 2.5", "easyMoveFactor"},
      {"d 30 e 1 60 0.3 s 1 3.5 h 1 40 2.5", "softStopFactor"},
      {"d 30 e 1 60 0.3 s 1 0.6 h 1 -40 2.5", "scoreDropMargin"},
      {"d 30 e 1 60 0.3 s 1 0.6 h 1 40 0", "hardLimitFactor"},
      {"d 30 e 1 60 0.3 s 1 0.6 h 1 40 50", "hardLimitFactor"},
  };
  for (const auto& c : cases) {
    TimeManager tm;
    std::string messages;
    EXPECT_TRUE(loadTimeText(std::string("r 0 0 ") + c[0] + " f 1 333 444 555 666 777", &tm,
                             &messages));
    EXPECT_NE(messages.find(c[1]), std::string::npos) << c[0] << "\n" << messages;
    EXPECT_GE(tm.movesDivisor, 1);
    EXPECT_LE(tm.movesDivisor, TM_MAX_MOVES_DIVISOR);
    EXPECT_GE(tm.hardLimitFactor, TM_MIN_HARD_LIMIT_FACTOR);
    EXPECT_LE(tm.hardLimitFactor, TM_MAX_HARD_LIMIT_FACTOR);
    EXPECT_GT(tm.softStopFactor, 0.0f);
    EXPECT_LE(tm.softStopFactor, tm.hardLimitFactor);
    EXPECT_GT(tm.easyMoveFactor, 0.0f);
    EXPECT_GE(tm.easyMoveMargin, 0);
    EXPECT_GE(tm.scoreDropMargin, 0);
  }
}
