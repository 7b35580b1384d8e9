// Whole games and runs of the built engine: a game against itself on short
// clocks, the clock capping a generous budget, and the bench's node count.
#include <cstdlib>

#include "frontend/session.h"

using namespace frontendtest;

// The engine plays both sides on clocks in milliseconds that the test keeps.
// Its budget is a small share of the clock: every answer comes within the
// clock it was given. Every line it shows is legal, with a score in the mate range.
TEST(Game, SelfPlayOnMillisecondClocks) {
  constexpr int PLIES = 100, START_MS = 1000, INCREMENT_MS = 20;
  kit::Engine engine;
  ASSERT_TRUE(engine.handshake());
  engine.send("setoption usemillisec true");
  auto board = kit::boardFromFen(START_FEN);
  long clock[2] = {START_MS, START_MS};
  std::string moves;
  for (int ply = 0; ply < PLIES; ++ply) {
    long& mine = clock[ply % 2];
    engine.send("position startpos" + (moves.empty() ? "" : " moves" + moves));
    const size_t shown = engine.lines.size();
    const auto sent = Clock::now();
    engine.send("go time " + std::to_string(std::max(mine, 0L)) + " increment " +
                std::to_string(INCREMENT_MS) + " opptime " + std::to_string(clock[1 - ply % 2]));
    const std::string reply = engine.waitUntil(isFinal);
    const long used = msSince(sent);
    EXPECT_LE(used, std::max(mine, 0L) + GRACE_MS) << "ply " << ply << ": " << reply;
    for (size_t i = shown; i < engine.lines.size(); ++i) {
      const std::string& l = engine.lines[i];
      const size_t score = l.find(" score "), pv = l.find(" pv ");
      if (score == std::string::npos || pv == std::string::npos) continue;
      EXPECT_LE(std::abs(std::stoi(l.substr(score + 7))), MATE) << l;
      std::istringstream words(l.substr(pv + 4));
      int made = 0, total = 0;
      for (std::string m; words >> m; ++total) made += made == total && kit::play(*board, m);
      EXPECT_EQ(made, total) << "ply " << ply << " after" << moves << ": " << l;
      while (made-- > 0) board->unmakeMove();
    }
    if (kit::legalMoves(*board).empty()) {
      EXPECT_EQ(reply, "nobestmove") << "ply " << ply;
      break;
    }
    const std::string move = moveOf(reply);
    ASSERT_TRUE(kit::play(*board, move)) << "ply " << ply << " after" << moves << ": " << reply;
    moves += " " + move;
    mine += INCREMENT_MS - used;
  }
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
}

// In seconds: a 1 s clock with a 30 s increment would budget some 30 s; the
// clock caps it (the engine keeps max(50 ms, 5%) of it: about 950 ms). A
// depth search first: its depth limit must not outlive it.
TEST(Game, ClockCapsAGenerousBudget) {
  kit::Engine engine;
  ASSERT_TRUE(engine.handshake());
  engine.send(std::string("position fen ") + MIDGAME_FEN + "\ngo depth 3");
  ASSERT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitUntil(isFinal)));
  const auto sent = Clock::now();
  engine.send("go time 1 increment 30");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitUntil(isFinal)));
  EXPECT_LT(msSince(sent), 1000 + GRACE_MS);
}

namespace {
// The node count of the bench's last line, "nodes N time T nps K"; -1 if missing.
long benchNodes(kit::Process& bench) {
  EXPECT_EQ(bench.run("", 600000), 0) << bench.err;
  const std::string last = bench.lines.empty() ? "" : bench.lines.back();
  return kit::startsWith(last, "nodes ") ? std::stol(last.substr(6)) : -1;
}
}  // namespace

// Three runs side by side (about 6 s each in Release, 20 s under the
// sanitizers): the shipped options twice alike, and the classic profile,
// every later search technique off with the first evaluation script, at the
// first design's signature.
TEST(Game, BenchCountsTheSameNodesEveryRun) {
  constexpr long CLASSIC_SIGNATURE = 26724986;
  kit::Process first(TOLVANE_BINARY, {"bench"}, TOLVANE_BUILD_DIR);
  kit::Process second(TOLVANE_BINARY, {"bench"}, TOLVANE_BUILD_DIR);
  kit::Process classic(TOLVANE_BINARY,
                       {"bench", TOLVANE_BUILD_DIR "/Classic.opt", TOLVANE_BUILD_DIR "/ClassicPosVal.txt"},
                       TOLVANE_BUILD_DIR);
  const long nodes = benchNodes(first);
  EXPECT_GT(nodes, 0);
  EXPECT_EQ(benchNodes(second), nodes);
  EXPECT_EQ(benchNodes(classic), CLASSIC_SIGNATURE);
}
