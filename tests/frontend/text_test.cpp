// The readers, in-process: move texts, go lines, options, the positions that
// "position" lines set up; the platform's line reader over a pipe (lines longer
// than a pipe holds: the protocol tests), and the program's own path.
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "frontend/gocommand.h"
#include "frontend/movetext.h"
#include "frontend/position.h"
#include "frontend/report.h"
#include "frontend/session.h"
#include "frontend/setoption.h"
#include "platform/platform.h"

using namespace frontendtest;

TEST(MoveText, BadTextsAreNoMove) {
  for (const char* bad : {"a0a0", "j0a1", "a0j1", "A0a1", "a:a1", "a0a", "a0", "", "NONO", "h2e-"})
    EXPECT_TRUE(isNullMove(textToMove(bad))) << bad;
  char text[5];
  moveToText(NULL_MOVE, text);
  EXPECT_STREQ(text, "NONO");
  moveToText(textToMove("h2e2xyz"), text);  // only four characters are read
  EXPECT_STREQ(text, "h2e2");
}

// Each line's limits, whole: nothing comes from an earlier line.
// UCCI lines in seconds ('s') or milliseconds ('m'); UCI lines for red
// ('w') or black ('b') to move, with a move overhead of 50 ms.
TEST(GoCommand, EveryLineGetsItsOwnLimits) {
  const struct {
    const char* line; char kind; int64_t budgetMs; int depth; int64_t clockMs, moveTimeMs; uint64_t nodes; int mate;
    bool infinite, ponder;
  } rows[] = {  // a moves divisor of 40 and a timed depth of 30
      {"go time 60 increment 2", 's', 3500, 30, 60000, -1, 0, 0, false, false},
      {"go time 60000 increment 2000", 'm', 3500, 30, 60000, -1, 0, 0, false, false},
      {"go time 60", 's', 1500, 30, 60000, -1, 0, 0, false, false},  // sudden death
      {"go time 60 movestogo 8 increment 5", 's', 6000, 30, 60000, -1, 0, 0, false, false},  // 2 in reserve
      {"go time 60 movestogo 90", 's', 1500, 30, 60000, -1, 0, 0, false, false},
      {"go time 99999999999", 'm', 600000000 / 40, 30, 600000000, -1, 0, 0, false, false},
      {"go time 60 depth 7", 's', -1, 7, -1, -1, 0, 0, false, false},  // depth wins
      {"go depth 300", 's', -1, 255, -1, -1, 0, 0, false, false},
      {"go depth x", 's', -1, 0, -1, -1, 0, 0, false, false},
      {"go infinite depth 5", 's', -1, 255, -1, -1, 0, 0, true, false},
      {"go movetime 1000", 's', -1, 255, -1, 1000, 0, 0, false, false},
      {"go nodes 100000", 's', -1, 255, -1, -1, 100000, 0, false, false},
      {"go nodes 0", 's', -1, 255, -1, -1, 1, 0, false, false},
      {"go mate 3", 's', -1, 255, -1, -1, 0, 3, false, false},
      {"go", 's', -1, 255, -1, -1, 0, 0, true, false},  // analysis until "stop"
      {"go draw wtime 5000 foo", 's', -1, 255, -1, -1, 0, 0, true, false},
      {"go draw depth 4 foo 9", 's', -1, 4, -1, -1, 0, 0, false, false},
      {"go ponder time 60 increment 2", 's', 3500, 30, 60000, -1, 0, 0, false, true},
      {"ponder depth 3", 's', -1, 3, -1, -1, 0, 0, false, true},
      {"go wtime 60050 btime 1050 winc 2000 binc 0", 'w', 3500, 30, 60000, -1, 0, 0, false, false},
      {"go wtime 60050 btime 1050 winc 2000 binc 0", 'b', 25, 30, 1000, -1, 0, 0, false, false},
      {"go btime 4050 wtime 1 movestogo 8 binc 900", 'b', 400, 30, 4000, -1, 0, 0, false, false},
      {"go wtime 30", 'w', 0, 30, 1, -1, 0, 0, false, false},  // the overhead eats the clock
      {"go btime 9000 winc 100", 'w', -1, 255, -1, -1, 0, 0, true, false},  // not our clock
      {"go", 'b', -1, 255, -1, -1, 0, 0, true, false},
      {"go ponder wtime 60050 winc 2000 nodes 5", 'w', 3500, 30, 60000, -1, 5, 0, false, true},
      {"go searchmoves h2e2 h0g2 movetime 99999999999", 'w', -1, 255, -1, 600000000, 0, 0, false, false},
      {"go infinite searchmoves h2e2", 'b', -1, 255, -1, -1, 0, 0, true, false},
  };
  for (const auto& r : rows) {
    const SearchLimits g = r.kind == 's' || r.kind == 'm'
                               ? parseGoCommand(r.line, 40, 30, r.kind == 'm')
                               : parseUciGo(r.line, r.kind == 'w' ? RED : BLACK, 40, 30, 50);
    const int moves = std::string(r.line).find("searchmoves") == std::string::npos ? 0 : r.infinite ? 1 : 2;
    EXPECT_EQ(std::tie(g.budgetMs, g.depth, g.clockMs, g.moveTimeMs, g.nodes, g.mate, g.infinite, g.ponder),
              std::tie(r.budgetMs, r.depth, r.clockMs, r.moveTimeMs, r.nodes, r.mate, r.infinite, r.ponder))
        << r.line;
    EXPECT_EQ(g.searchMoveCount, moves) << r.line;
  }
  EXPECT_EQ(parseGoCommand("go time 60 increment 2", 0, 1).budgetMs, 62000);  // no divisor
}

// Centipawns, or moves to a mate (negative when mated); the perpetual
// range is not a mate.
TEST(GoCommand, UciScoresInCentipawnsOrMovesToMate) {
  const std::pair<int, const char*> rows[] = {{0, "cp 0"}, {-35, "cp -35"}, {MATE - 1, "mate 1"},
      {MATE - 2, "mate 1"}, {MATE - 5, "mate 3"}, {2 - MATE, "mate -1"}, {4 - MATE, "mate -2"},
      {PERPETUAL, "cp 19884"}, {-PERPETUAL, "cp -19884"}};
  for (const auto& [score, text] : rows) {
    char out[32];
    formatUciScore(score, out, sizeof out);
    EXPECT_STREQ(out, text) << score;
  }
}

// Either form of a UCCI line, UCI names in any case but whole; each line from
// the defaults (one best line, no move overhead), values clamped to their range.
TEST(SetOption, EitherFormAndWholeNamesOnly) {
  const struct { const char* line; bool uci; int multiPv, overheadMs; } rows[] = {
      {"setoption multipv 3", false, 3, 0}, {"setoption name multipv value 4", false, 4, 0},
      {"setoption multipv 999", false, MAX_MULTI_PV, 0}, {"setoption name multipv value", false, 1, 0},
      {"setoption name  multiPV   value 5 ", true, 5, 0}, {"setoption name MultiPVs value 5", true, 1, 0},
      {"setoption name Move Overhead value 70", true, 1, 70}, {"setoption name move overhead value 9999", true, 1, 5000},
  };
  for (const auto& r : rows) {
    multiPvOption = 1, moveOverheadMs = 0;
    (r.uci ? serveUciSetOption : serveSetOption)(r.line);
    EXPECT_TRUE(multiPvOption == r.multiPv && moveOverheadMs == r.overheadMs) << r.line;
  }
  multiPvOption = 1, moveOverheadMs = 0;
}

TEST(HashSizeOption, ClampedToTheAdvertisedRangeOrKept) {
  const std::pair<const char*, int> rows[] = {{"64", 64}, {"1", 16}, {"1025", 1024},
      {"99999999999999999999", 1024}, {"0", 0}, {"", 0}, {"64x", 0}, {"-64", 0}, {"6 4", 0}};
  for (const auto& [value, mb] : rows) EXPECT_EQ(hashSizeOptionMb(value), mb) << value;
}

// The position each line sets up ("" when it cannot be searched): replays
// stop at the first move that cannot be made.
TEST(PositionLine, SetsUpTheBoardAndReplaysTheMovesThatCanBeMade) {
  const std::string afterTwo = "rnbakab1r/9/1c4nc1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR w";
  std::string shuffle = "position startpos moves";  // a thousand moves outgrow the record stack
  for (int i = 0; i < 250; ++i) shuffle += " h0g2 h9g7 g2h0 g7h9";
  const std::pair<std::string, std::string> rows[] = {
      {"position startpos moves h2e2 h9g7", afterTwo},
      {std::string("position fen ") + START_FEN + " moves h2e2 h9g7", afterTwo},
      {shuffle + " h2e2 h9g7", afterTwo},
      {"position startpos moves h2e2 h9g7 e2e3 h0g2", afterTwo},  // from an empty square
      {"position startpos moves h2e2 h9g7 h0h1 h0g2", afterTwo},  // no horse move
      {"position startpos moves h2e2 h9g7 h0g2x i0h0", afterTwo},  // not four characters
      {"position fen 3k5/9/9/9/9/2B6/9/9/9/4K4 w moves c4e6", "3k5/9/9/9/9/2B6/9/9/9/4K4 w"},  // river
      {"position fen 3k5/9/9/9/9/2B6/9/9/9/4K4 w moves c4a2", "3k5/9/9/9/9/9/9/B8/9/4K4 b"},
      {"position fen 3k5/4r4/9/9/9/9/9/9/4R4/4K4 w moves e1a1", "3k5/4r4/9/9/9/9/9/9/4R4/4K4 w"},  // pinned
      {"position fen 3k5/4r4/9/9/9/9/9/9/4R4/4K4 w moves e1e5 e8e5 e0f0", "3k5/9/9/9/4r4/9/9/9/9/5K3 b"},
      {"position fen 3k5/9/9/9/9/9/9/9/9/4KP3 w moves e0e1", ""},  // pawn behind its row
  };
  auto b = kit::newBoard();
  for (const auto& [line, fen] : rows) {
    const bool valid = servePosition(*b, line.c_str(), true);
    EXPECT_TRUE(valid == !fen.empty() && (!valid || kit::toFen(*b) == fen)) << line.substr(0, 60) << " set up "
                                                                             << (valid ? kit::toFen(*b) : "none");
  }
  EXPECT_FALSE(servePosition(*b, "position banana", false));  // no position named: kept
}

namespace {

struct PipeInput {  // the line reader's input while this lives
  int fds[2];
  PipeInput() { EXPECT_EQ(pipe(fds), 0); resetInput(fds[0]); }
  ~PipeInput() { closeWriter(), close(fds[0]), resetInput(0); }
  void write(const std::string& s) { ASSERT_EQ(::write(fds[1], s.data(), s.size()), ssize_t(s.size())); }
  void closeWriter() { if (fds[1] >= 0) close(fds[1]), fds[1] = -1; }
};

std::string next() {
  const char* line = readLine();
  return line != nullptr ? line : "<null>";
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
  EXPECT_FALSE(inputAvailable() || inputClosed());  // "quit" waits for its newline or the end
  in.closeWriter();
  EXPECT_EQ(next(), "quit");
  EXPECT_TRUE(inputAvailable());  // a read will not block: it reports the end
  EXPECT_TRUE(readLine() == nullptr && inputClosed());
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
    EXPECT_TRUE(splitPath(path, &dir, &file) == at && dir == directory && file == name)
        << path << ": " << dir << " " << file;
  }
}
