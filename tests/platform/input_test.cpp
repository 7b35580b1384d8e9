// The platform layer: the line reader over a pipe (lines longer than a pipe
// holds: the protocol tests), and the program's own path.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "platform/platform.h"

namespace {

struct PipeInput {
  int fds[2];
  PipeInput() {
    EXPECT_EQ(pipe(fds), 0);
    resetInput(fds[0]);
  }
  ~PipeInput() {
    closeWriter();
    close(fds[0]);
    resetInput(0);
  }
  void write(const std::string& s) { ASSERT_EQ(::write(fds[1], s.data(), s.size()), ssize_t(s.size())); }
  void closeWriter() {
    if (fds[1] >= 0) close(fds[1]);
    fds[1] = -1;
  }
};

std::string next() {
  const char* line = readLine();
  return line != nullptr ? std::string(line) : std::string("<null>");
}

}  // namespace

TEST(LineReader, WholeLinesOnlyAndWhatCameWithThemAtOnce) {
  PipeInput in;
  EXPECT_FALSE(inputAvailable());
  in.write("isready\ngo dep");
  EXPECT_EQ(next(), "isready");
  EXPECT_FALSE(inputAvailable());
  EXPECT_EQ(readLine(), nullptr);
  in.write("th 5 \t\r\nstop\r\n \t\r\nquit");
  EXPECT_EQ(next(), "go depth 5");
  EXPECT_TRUE(inputAvailable());  // already in the buffer: no new data needed
  EXPECT_EQ(next(), "stop");
  EXPECT_EQ(next(), "");
  EXPECT_FALSE(inputAvailable());  // "quit" waits for its newline or the end
  EXPECT_FALSE(inputClosed());
  in.closeWriter();
  EXPECT_EQ(next(), "quit");
  EXPECT_TRUE(inputAvailable());  // a read will not block: it reports the end
  EXPECT_EQ(readLine(), nullptr);
  EXPECT_TRUE(inputClosed());
}

// Whatever name started it, the path is the executable's own file; its
// directory ends at the last separator of either kind.
TEST(ProgramPath, IsTheRunningExecutableSplitAtTheLastSeparator) {
  for (const char* name : {"./build/tolvane", "tolvane", ""})
    EXPECT_EQ(programPath(name), std::filesystem::read_symlink("/proc/self/exe").string());
  const std::tuple<std::string, int, std::string, std::string> rows[] = {
      {"/opt/engines/tolvane", 12, "/opt/engines/", "tolvane"},
      {"C:/Games\\Xq\\tolvane.exe", 11, "C:/Games\\Xq\\", "tolvane.exe"},
      {"tolvane", -1, "", "tolvane"},
      {"dir/", 3, "dir/", ""},
  };
  for (const auto& [path, at, directory, name] : rows) {
    std::string dir = "x", file = "x";
    EXPECT_EQ(splitPath(path, &dir, &file), at) << path;
    EXPECT_TRUE(dir == directory && file == name) << path << ": " << dir << " " << file;
  }
}
