// `tolvane perft` run as a process: the divide lines, the summary line and
// the refusal of a bad position.
#include <sys/wait.h>

#include <cstdio>
#include <regex>
#include <string>

#include "movegen/perft.h"
#include "support.h"

namespace movegentest {
namespace {

struct ProcessResult {
  std::string out;
  int status;
};

// Runs the binary with the given arguments through the shell; stderr goes
// to stdout when `mergeErrors`.
ProcessResult runTolvane(const std::string& args, bool mergeErrors) {
  std::string command = std::string("'") + TOLVANE_BINARY + "' " + args;
  command += mergeErrors ? " 2>&1" : " 2>/dev/null";
  ProcessResult r{"", -1};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) r.out.append(chunk, n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

TEST(PerftCommand, DividesTheStartPosition) {
  const ProcessResult r = runTolvane("perft 2", false);
  ASSERT_EQ(r.status, 0);
  const std::regex divide("^[a-i][0-9][a-i][0-9]: [0-9]+$");
  int lines = 0;
  uint64_t sum = 0;
  size_t start = 0;
  std::string last;
  for (size_t end; (end = r.out.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = r.out.substr(start, end - start);
    if (std::regex_match(line, divide)) {
      ++lines;
      sum += std::stoull(line.substr(6));
    }
    last = line;
  }
  EXPECT_EQ(lines, 44);
  EXPECT_EQ(sum, 1920u);
  EXPECT_TRUE(std::regex_match(last, std::regex("^nodes 1920 time [0-9]+ nps [0-9]+$"))) << last;
  // Red's first cannon move up the file: b2b9 takes the horse on b9.
  EXPECT_NE(r.out.find("\nb2b9: "), std::string::npos);
}

TEST(PerftCommand, TakesAFenInBlankSeparatedFields) {
  const ProcessResult r = runTolvane("perft 3 4k4/r8/3N5/9/9/9/9/9/9/3K5 b - - 0 1", false);
  ASSERT_EQ(r.status, 0);
  auto b = boardFromFen("4k4/r8/3N5/9/9/9/9/9/9/3K5 b");
  EXPECT_NE(r.out.find("nodes " + std::to_string(countPaths(*b, 3)) + " "), std::string::npos)
      << r.out;
}

TEST(PerftCommand, RefusesABadPosition) {
  for (const char* fen : {"'rnbakabnr/9 w'", "'9/9/9/9/9/9/9/9/9/9 w'",
                          "'4k4/9/9/9/9/9/9/9/9/4K4 w'",  // red could take the king
                          "'4k4/9/9/9/9/9/9/9/9/3KB4 w'"}) {  // an elephant off its points
    const ProcessResult r = runTolvane(std::string("perft 2 ") + fen, true);
    EXPECT_EQ(r.status, 1) << fen;
    EXPECT_NE(r.out.find("bad FEN"), std::string::npos) << fen << ": " << r.out;
    EXPECT_EQ(r.out.find("nodes"), std::string::npos) << fen;
  }
}

}  // namespace
}  // namespace movegentest
