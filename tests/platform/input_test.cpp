// The line reader over a pipe: whole lines only, several lines from one
// write, lines of any length, the end of input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>

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
    size_t done = 0;
    while (done < s.size()) {
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

TEST(LineReader, SeveralLinesFromOneWriteAreAllAvailable) {
  PipeInput in;
  EXPECT_FALSE(inputAvailable());
  EXPECT_EQ(readLine(), nullptr);
  in.write("isready\nposition startpos\r\nquit\n");
  EXPECT_TRUE(inputAvailable());
  EXPECT_EQ(next(), "isready");
  // The rest is already in our buffer: available without new data.
  EXPECT_TRUE(inputAvailable());
  EXPECT_EQ(next(), "position startpos");
  EXPECT_EQ(next(), "quit");
  EXPECT_FALSE(inputAvailable());
  EXPECT_EQ(readLine(), nullptr);
  EXPECT_FALSE(inputClosed());
}

TEST(LineReader, HalfALineWaitsForItsNewline) {
  PipeInput in;
  in.write("go dep");
  EXPECT_FALSE(inputAvailable());
  EXPECT_EQ(readLine(), nullptr);
  in.write("th 5\n\n");
  EXPECT_EQ(next(), "go depth 5");
  EXPECT_EQ(next(), "");
}

TEST(LineReader, EndOfInputServesTheLastLineThenReportsClosed) {
  PipeInput in;
  in.write("stop\nquit");
  in.closeWriter();
  EXPECT_EQ(next(), "stop");
  EXPECT_FALSE(inputClosed());
  EXPECT_EQ(next(), "quit");
  EXPECT_TRUE(inputAvailable());  // a read will not block: it reports the end
  EXPECT_EQ(readLine(), nullptr);
  EXPECT_TRUE(inputClosed());
}

TEST(LineReader, LongLinesComeWholeAndNeverInPieces) {
  PipeInput in;
  std::string longLine = "position startpos moves";
  while (longLine.size() < 300000) longLine += " h2e2";
  // A pipe holds less than this: write from another thread.
  std::thread writer([&] {
    in.write(longLine + "\nisready\n");
    in.closeWriter();
  });
  std::string got = "<none>";
  for (int i = 0; i < 100000 && got == "<none>"; ++i) {
    if (const char* line = readLine()) got = line;
    else sleepMs(1);
  }
  writer.join();
  EXPECT_EQ(got.size(), longLine.size());
  EXPECT_EQ(got, longLine);
  EXPECT_EQ(next(), "isready");
  EXPECT_EQ(readLine(), nullptr);
  EXPECT_TRUE(inputClosed());
}
