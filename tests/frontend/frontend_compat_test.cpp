// What front ends rely on, through a real pipe to the built engine: quit and
// isready while thinking, Windows line ends, banned moves, "go depth 0", the
// millisecond clock and a resized table. Times are measured loosely: they
// show that nothing waits, not how fast the machine is.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "frontend/session_helpers.h"

namespace {

using Clock = std::chrono::steady_clock;

// A middle game without rooks, far from any opening book.
constexpr const char* MIDGAME_FEN =
    "2bakab2/9/2n1c1n2/p1p1p1p1p/9/9/P1P1P1P1P/2N1C1N2/9/2BAKAB2 w";
// Red to move with its king alone: e0e1 and e0f0 are its only moves (e0d0
// would face the black king).
constexpr const char* TWO_MOVES_FEN = "3k5/9/9/9/9/9/9/9/9/4K4 w";

// Generous bounds for a loaded two-core machine; the figures seen are
// printed with the results.
constexpr long QUIT_TO_EXIT_MAX_MS = 1000;
constexpr long READYOK_MAX_MS = 1000;

long msSince(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

void report(const char* what, long ms) {
  std::printf("[ measured ] %s: %ld ms\n", what, ms);
  ::testing::Test::RecordProperty(what, static_cast<int>(ms));
}

// The second word of a reply line ("bestmove h2e2 ponder h9g7" -> "h2e2").
std::string moveOf(const std::string& reply) {
  return reply.size() >= 13 && startsWith(reply, "bestmove ") ? reply.substr(9, 4) : "";
}

// The replies of a session without the search's "info" lines.
std::vector<std::string> replies(const std::vector<std::string>& lines) {
  std::vector<std::string> kept;
  for (const std::string& l : lines)
    if (!startsWith(l, "info ")) kept.push_back(l);
  return kept;
}

}  // namespace

TEST(FrontEnd, QuitWhileThinkingAnswersAndLeavesAtOnce) {
  LiveEngine engine;
  handshake(engine);
  engine.send(std::string("position fen ") + MIDGAME_FEN);
  engine.send("go infinite");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const auto sent = Clock::now();
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(5000), 0);
  const long ms = msSince(sent);
  report("quit to exit", ms);
  EXPECT_LT(ms, QUIT_TO_EXIT_MAX_MS);
  ASSERT_GE(engine.lines.size(), 2u);
  EXPECT_EQ(engine.lines.back(), "bye");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.lines[engine.lines.size() - 2]))
      << engine.lines[engine.lines.size() - 2];
  EXPECT_EQ(countFinalLines(engine.lines), 1);
}

TEST(FrontEnd, IsreadyWhileThinkingIsAnsweredAndTheSearchGoesOn) {
  LiveEngine engine;
  handshake(engine);
  engine.send(std::string("position fen ") + MIDGAME_FEN);
  engine.send("go infinite");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto sent = Clock::now();
  engine.send("isready");
  ASSERT_EQ(engine.waitFor("readyok", 5000), "readyok");
  const long ms = msSince(sent);
  report("isready to readyok while thinking", ms);
  EXPECT_LT(ms, READYOK_MAX_MS);
  // Still thinking a while later, until told to stop.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  engine.send("isready");
  ASSERT_EQ(engine.waitFor("readyok", 5000), "readyok");
  EXPECT_EQ(countFinalLines(engine.lines), 0);
  engine.send("stop");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitFor("bestmove", 5000)));
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
}

TEST(FrontEnd, WindowsLineEndsAndTrailingBlanksServeTheSameSession) {
  const std::vector<std::string> session = {
      "ucci",
      "isready",
      "setoption bookfiles",  // no book: both sessions search alike
      "setoption hashsize 16",
      std::string("position fen ") + MIDGAME_FEN + " moves e2d2 e7f7",
      "banmoves c3c4 g3g4",
      "go depth 4",
      "go depth 0",
      "position startpos moves h2e2",
      "go depth 3",
      "quit"};
  std::vector<std::string> seen[2];
  for (int windows = 0; windows < 2; ++windows) {
    LiveEngine engine;
    for (size_t i = 0; i < session.size(); ++i) {
      const std::string& line = session[i];
      engine.send(windows ? line + (i % 2 == 0 ? " \t\r" : "\r") : line);
      if (line == "ucci") engine.waitFor("ucciok");
      if (startsWith(line, "go ")) engine.waitFor(line == "go depth 0" ? "nobestmove" : "bestmove");
    }
    EXPECT_EQ(engine.waitExit(), 0);
    seen[windows] = replies(engine.lines);
  }
  ASSERT_GE(seen[0].size(), 5u);
  EXPECT_EQ(seen[0].back(), "bye");
  EXPECT_EQ(seen[0][seen[0].size() - 3], "nobestmove");
  EXPECT_EQ(seen[1], seen[0]);
}

TEST(FrontEnd, BannedMovesAreNotPlayedUntilTheNextPosition) {
  LiveEngine engine;
  handshake(engine);
  const std::string position = std::string("position fen ") + MIDGAME_FEN;
  engine.send(position);
  engine.send("go depth 4");
  const std::string first = engine.waitFor("bestmove");
  ASSERT_TRUE(legalAfter(MIDGAME_FEN, "", first)) << first;

  // The engine's own choice banned: another legal move, from a fresh table.
  engine.send("setoption newgame");
  engine.send("banmoves " + moveOf(first));
  engine.send("go depth 4");
  const std::string second = engine.waitFor("bestmove");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", second)) << second;
  EXPECT_NE(moveOf(second), moveOf(first));

  // A new position forgets the ban: the same search chooses as at first.
  engine.send(position);
  engine.send("setoption newgame");
  engine.send("go depth 4");
  EXPECT_EQ(moveOf(engine.waitFor("bestmove")), moveOf(first));

  // Everything banned: no move; all but one banned: that one.
  engine.send(std::string("position fen ") + TWO_MOVES_FEN);
  engine.send("banmoves e0e1 e0f0");
  engine.send("go depth 3");
  EXPECT_EQ(engine.waitFor("nobestmove"), "nobestmove");
  engine.send("banmoves e0e1");
  engine.send("go depth 3");
  EXPECT_EQ(moveOf(engine.waitFor("bestmove")), "e0f0");
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
  EXPECT_EQ(countFinalLines(engine.lines), 5);
}

TEST(FrontEnd, DepthZeroChoosesNoMoveAndLeavesNothingStale) {
  LiveEngine engine;
  handshake(engine);
  engine.send(std::string("position fen ") + MIDGAME_FEN);
  engine.send("go depth 2");
  ASSERT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitFor("bestmove")));
  for (const char* line : {"go depth 0", "ponder depth 0", "go depth 0 movestogo 3"}) {
    engine.send(line);
    EXPECT_EQ(engine.waitFor("nobestmove"), "nobestmove") << line;
  }
  engine.send(std::string("position fen ") + TWO_MOVES_FEN);
  engine.send("go depth 0");  // even with a single sensible answer
  EXPECT_EQ(engine.waitFor("nobestmove"), "nobestmove");
  engine.send("go depth 1");
  EXPECT_TRUE(legalAfter(TWO_MOVES_FEN, "", engine.waitFor("bestmove")));
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
  for (const std::string& l : engine.lines) EXPECT_EQ(l.find("NONO"), std::string::npos) << l;
}

TEST(FrontEnd, MillisecondClockAnswersWithinItsBudget) {
  // moves_divisor 32 and hard-limit factor 2.5 of data/TimeManagement.txt:
  // "time 3000 increment 0" gives (32 x 0 + 3000) / 32 = 93 ms, and the
  // search never runs past 2.5 times that. In seconds the same line would
  // give over 90 seconds.
  constexpr long BUDGET_MS = 3000 / 32;
  constexpr long HARD_MS = BUDGET_MS * 5 / 2;
  constexpr long SLACK_MS = 400;
  LiveEngine engine;
  handshake(engine);
  engine.send(std::string("position fen ") + MIDGAME_FEN);
  engine.send("setoption usemillisec true");
  auto sent = Clock::now();
  engine.send("go time 3000 increment 0");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitFor("bestmove", 10000)));
  long ms = msSince(sent);
  report("go time 3000 increment 0 in milliseconds (budget 93 ms)", ms);
  EXPECT_LT(ms, HARD_MS + SLACK_MS);

  // Back to seconds: "time 3" is the same budget.
  engine.send("setoption name usemillisec value false");
  sent = Clock::now();
  engine.send("go time 3 increment 0");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitFor("bestmove", 10000)));
  ms = msSince(sent);
  report("go time 3 increment 0 in seconds (budget 93 ms)", ms);
  EXPECT_LT(ms, HARD_MS + SLACK_MS);
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
}

TEST(FrontEnd, ResizedTableStillSearches) {
  LiveEngine engine;
  handshake(engine);
  engine.send("setoption hashsize 64");
  engine.send(std::string("position fen ") + MIDGAME_FEN);
  engine.send("go depth 6");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitFor("bestmove")));
  engine.send("setoption name hashsize value 16");
  engine.send("setoption hashsize 0");
  engine.send("go depth 5");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitFor("bestmove")));
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
  EXPECT_EQ(engine.lines.back(), "bye");
}
