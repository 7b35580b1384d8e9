// The line reader over a pipe: whole lines only, lines that came with an
// earlier one available at once, the end of input. (Lines longer than a
// pipe holds: the protocol tests.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

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
  void write(const std::string& s) {
    for (size_t done = 0; done < s.size();) {
      const ssize_t n = ::write(fds[1], s.data() + done, s.size() - done);
      ASSERT_GT(n, 0);
      done += static_cast<size_t>(n);
    }
  }
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
