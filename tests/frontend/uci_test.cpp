// UCI sessions through a real pipe: the handshake, go with its limits kept,
// the info lines a UCI front end parses, several best lines, and positions
// refused with a word.
#include <algorithm>
#include <regex>
#include <set>

#include "frontend/session.h"

using namespace frontendtest;

namespace {

// "info depth 5 seldepth 9 multipv 2 score cp 12 nodes ..." -> the value after `word`.
std::string field(const std::string& line, const std::string& word) {
  const std::regex r(" " + word + " (\\S+( \\S+)?)");
  std::smatch m;
  if (!std::regex_search(line, m, r)) return "";
  return word == "score" ? m[1].str() : m[1].str().substr(0, m[1].str().find(' '));
}

const std::regex INFO_LINE(
    "info depth (\\d+) seldepth (\\d+) multipv \\d+ score (cp -?\\d+|mate -?\\d+) nodes (\\d+) nps (\\d+) "
    "hashfull \\d+ time (\\d+) pv( [a-i]\\d[a-i]\\d)+");

struct UciEngine : kit::Engine {
  // Sends a position and a go line; the final reply, timed. Every line with
  // a pv parses, a selective depth at least the depth, nps as nodes and time say.
  std::string go(const std::string& position, const std::string& goLine, long* ms = nullptr) {
    clearLines();
    send(position);
    const auto sent = Clock::now();
    send(goLine);
    const std::string reply = waitFor("bestmove ");
    if (ms != nullptr) *ms = msSince(sent);
    for (const std::string& info : infoWith("pv")) {
      std::smatch m;  // depth, seldepth, score, nodes, nps, time
      if (!std::regex_match(info, m, INFO_LINE)) ADD_FAILURE() << info;
      else EXPECT_TRUE(std::stoi(m[2]) >= std::stoi(m[1]) &&
                       std::stoull(m[5]) == (m[6] == "0" ? 0 : std::stoull(m[4]) * 1000 / std::stoull(m[6]))) << info;
    }
    return reply;
  }
  std::vector<std::string> infoWith(const std::string& word) const {
    std::vector<std::string> found;
    for (const std::string& l : lines)
      if (kit::startsWith(l, "info ") && l.find(" " + word + " ") != std::string::npos) found.push_back(l);
    return found;
  }
};

}  // namespace

TEST(Uci, HandshakeLimitsInfoLinesSeveralLinesAndRefusedPositions) {
  UciEngine e;
  e.send("uci");
  ASSERT_EQ(e.waitFor("uciok"), "uciok") << e.err;
  for (const char* option : {"id name Tolvane", "option name Hash type spin default 32 min 16 max 1024",
                             "option name MultiPV type spin default 1 min 1 max 128",
                             "option name Threads type spin default 1 min 1 max 128", "option name Clear Hash type button"})
    EXPECT_NE(std::find(e.lines.begin(), e.lines.end(), option), e.lines.end()) << option;
  e.send("setoption name OwnBook value false\nucinewgame\nisready");
  EXPECT_EQ(e.waitFor("readyok"), "readyok");
  const std::string mid = std::string("position fen ") + MIDGAME_FEN;
  long ms = 0;
  // A single legal move, a depth, a clock of either side (the rest: the UCCI sessions).
  EXPECT_EQ(e.go("position fen 3k1r3/9/9/9/9/9/9/9/9/4K4 w", "go depth 5"), "bestmove e0e1");
  std::string reply = e.go("position startpos moves h2e2 h9g7", "go depth 3");
  EXPECT_TRUE(legalAfter(START_FEN, "h2e2 h9g7", reply));
  ASSERT_FALSE(e.infoWith("pv").empty());
  EXPECT_EQ(field(e.infoWith("pv").back(), "depth"), "3");
  reply = e.go(mid + " moves a3a4", "go wtime 100 btime 30000 winc 0 binc 0", &ms);  // black's clock
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "a3a4", reply));
  EXPECT_GT(ms, 200);
  reply = e.go(mid, "go wtime 300 btime 30000 movestogo 1", &ms);
  EXPECT_LT(ms, 300);
  // A fixed time, a node count; analysis and pondering hear isready and
  // answer only after stop or ponderhit.
  e.go(mid, "go movetime 300", &ms);
  EXPECT_TRUE(ms >= 280 && ms < 300 + GRACE_MS) << ms;
  e.go(mid, "go nodes 20000");
  const uint64_t nodes = std::stoull(field(e.infoWith("nodes").back(), "nodes"));
  EXPECT_TRUE(nodes >= 20000 && nodes < 21000) << nodes;
  for (const std::string end : {"stop", "ponderhit"}) {
    e.send((end == "stop" ? "go infinite" : "go ponder wtime 30000 btime 30000") + std::string("\nisready"));
    EXPECT_EQ(e.waitFor("readyok"), "readyok");
    EXPECT_EQ(e.waitFor("bestmove", 300), "<timeout>") << end;
    e.send(end);
    EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", e.waitFor("bestmove", 3000))) << end;
  }
  // Mate scores in moves, from either side; a restricted root.
  e.go(std::string("position fen ") + MATE_IN_ONE_FEN, "go depth 4");
  EXPECT_EQ(field(e.infoWith("score").back(), "score"), "mate 1");
  e.go("position fen 3k5/9/9/p8/9/9/9/9/4R4/4K4 b", "go depth 5");  // Rd1 mates after either move
  EXPECT_EQ(field(e.infoWith("score").back(), "score"), "mate -1");
  const std::string only = moveOf(e.go(mid, "go depth 4 searchmoves a3a4 i3i4 x"));
  EXPECT_TRUE(only == "a3a4" || only == "i3i4") << only;
  // Several lines: distinct legal first moves, best first, the answer line 1's.
  e.send("setoption name MultiPV value 4\nsetoption name Threads value 2");
  reply = e.go(mid, "go depth 6");
  std::vector<std::string> last(4);
  for (const std::string& info : e.infoWith("multipv"))
    if (field(info, "depth") == "6") last.at(std::stoi(field(info, "multipv")) - 1) = info;
  std::set<std::string> firsts;
  for (size_t k = 0; k < last.size(); ++k) {
    const std::string first = field(last[k], "pv");
    EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", "bestmove " + first)) << k << ": " << last[k];
    firsts.insert(first);
    if (k > 0) { EXPECT_GE(std::stoi(field(last[k - 1], "cp")), std::stoi(field(last[k], "cp"))); }
  }
  EXPECT_EQ(firsts.size(), 4u);
  EXPECT_EQ(moveOf(reply), field(last[0], "pv"));
  // A refused position or move is reported; go answers "bestmove (none)"
  // there, as it does with no move to play. (Pondering: the UCCI sessions.)
  EXPECT_EQ(e.go("position fen 3k5/9/9/9/9/9/1P7/9/9/4K4 w", "go depth 3"), "bestmove (none)");
  EXPECT_FALSE(e.infoWith("refused").empty());
  EXPECT_EQ(e.go(std::string("position fen ") + MATED_FEN, "go depth 3"), "bestmove (none)");
  e.send("position startpos moves h2e2 h9h1\nisready");
  EXPECT_EQ(e.waitFor("readyok"), "readyok");
  EXPECT_FALSE(e.infoWith("h9h1:").empty());
  e.send("quit");
  EXPECT_EQ(e.waitExit(), 0);
}
