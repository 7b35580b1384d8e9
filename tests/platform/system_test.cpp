#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

TEST(SplitPath, LastSeparatorOfEitherKindEndsTheDirectory) {
  std::string dir, name;
  EXPECT_EQ(splitPath("/opt/engines/tolvane", &dir, &name), 12);
  EXPECT_EQ(dir, "/opt/engines/");
  EXPECT_EQ(name, "tolvane");

  EXPECT_EQ(splitPath("C:/Games\\Xq\\tolvane.exe", &dir, &name), 11);
  EXPECT_EQ(dir, "C:/Games\\Xq\\");
  EXPECT_EQ(name, "tolvane.exe");

  EXPECT_EQ(splitPath("tolvane", &dir, &name), -1);
  EXPECT_EQ(dir, "");
  EXPECT_EQ(name, "tolvane");

  EXPECT_EQ(splitPath("dir/", &dir, &name), 3);
  EXPECT_EQ(dir, "dir/");
  EXPECT_EQ(name, "");

  const std::string deep = std::string(5000, 'd') + "/" + std::string(3000, 'f');
  EXPECT_EQ(splitPath(deep, &dir, &name), 5000);
  EXPECT_EQ(dir.size(), 5001u);
  EXPECT_EQ(name.size(), 3000u);
}

TEST(ProgramPath, BareNameIsResolvedThroughTheSystem) {
  EXPECT_EQ(programPath("./build/tolvane"), "./build/tolvane");
  const std::string resolved = programPath("tolvane");
  ASSERT_FALSE(resolved.empty());
  EXPECT_EQ(resolved[0], '/');
}

TEST(Clock, IsMonotonicAndSleepWaitsAtLeastItsTime) {
  const int64_t before = engineClockMs();
  sleepMs(10);
  const int64_t after = engineClockMs();
  EXPECT_GE(before, 0);
  EXPECT_GE(after - before, 10);
}
