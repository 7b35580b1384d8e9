#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "platform/platform.h"

TEST(SplitPath, LastSeparatorOfEitherKindEndsTheDirectory) {
  const std::tuple<std::string, int, std::string, std::string> rows[] = {
      {"/opt/engines/tolvane", 12, "/opt/engines/", "tolvane"},
      {"C:/Games\\Xq\\tolvane.exe", 11, "C:/Games\\Xq\\", "tolvane.exe"},
      {"tolvane", -1, "", "tolvane"},
      {"dir/", 3, "dir/", ""},
  };
  for (const auto& [path, at, directory, name] : rows) {
    std::string dir = "x", file = "x";
    EXPECT_EQ(splitPath(path, &dir, &file), at) << path.substr(0, 30);
    EXPECT_EQ(dir, directory);
    EXPECT_EQ(file, name);
  }
}

// Whatever name or link started it, the path is the executable's own file.
TEST(ProgramPath, IsTheRunningExecutableWhateverItWasCalled) {
  for (const char* name : {"./build/tolvane", "tolvane", ""})
    EXPECT_EQ(programPath(name), std::filesystem::read_symlink("/proc/self/exe").string());
}
