// UCCI and UCI sessions with the built engine through a real pipe, the data
// files it starts from, and the bench's node count.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <random>
#include <regex>
#include <set>

#include "common/netfiles.h"
#include "config/searchoptions.h"
#include "frontend/position.h"
#include "frontend/session.h"

using namespace frontendtest;
using Lines = std::vector<std::string>;

// Only "ucci" or "uci" first starts a session: any other line ends the engine
// silently. The end of input, even after a line without its newline, is "quit".
TEST(Protocol, HandshakeOnlyAfterUcciAndTheEndOfInputSaysByeLast) {
  kit::Engine engine;
  EXPECT_EQ(engine.run("ucci\nisready"), 0);
  EXPECT_EQ(engine.lines.empty() ? "" : engine.lines[0], "id name Tolvane") << engine.err;
  // The table size announced is the one Config.ini gave.
  for (const char* option : {"option hashsize type spin min 16 max 1024 default 32", "option newgame type button",
                             "option usemillisec type check default false", "option bookfiles type string default ",
                             "option threads type spin min 1 max 128 default 1",
                             "option multipv type spin min 1 max 128 default 1"})
    EXPECT_NE(std::find(engine.lines.begin(), engine.lines.end(), option), engine.lines.end()) << option;
  EXPECT_EQ(replies(engine), (Lines{"readyok", "bye"}));
  EXPECT_EQ(engine.out.back(), '\n');
  kit::Engine silent;  // no line at all
  EXPECT_TRUE(silent.run("") == 0 && silent.out.empty()) << silent.out;
  for (const char* first : {"uci x", "ucci x", "UCCI", "", "isready", "\tucci"}) {
    kit::Engine other;
    other.sendRaw(std::string(first) + "\nucci\nisready\n");  // input left open: it leaves by itself
    EXPECT_TRUE(other.waitExit(5000) == 0 && other.out.empty()) << first << ": " << other.out;
  }
}

// Every row, followed by "isready", answers its reply if any and leaves the
// engine ready; odd rows end in CR-LF. Bad positions refuse every go until a
// good one comes.
TEST(Protocol, BadLinesAreIgnoredOrRefusedAndTheSessionGoesOn) {
  std::mt19937 rng(7);
  std::string noise;  // 100 KB of every byte but the newline
  while (noise.size() < 100000)
    if (const char c = static_cast<char>(rng() % 256); c != '\n') noise += c;
  std::string bans = "banmoves";  // more than the list holds
  while (bans.size() < 5000) bans += " h2e2";
  const std::pair<std::string, const char*> rows[] = {
      {"", nullptr}, {" \t ", nullptr}, {"\x01\x02\x03\xff", nullptr}, {noise, nullptr},
      {"ISREADY", nullptr}, {"isreadyisready", nullptr}, {"quitx", nullptr}, {"ucci", nullptr},
      {"stop", nullptr}, {"go2 depth 3", nullptr}, {"setoption", nullptr},
      {"setoption name", nullptr}, {"setoption hashsize 64x", nullptr}, {"banmoves zzzz", nullptr},
      {bans, nullptr}, {"   isready   ", "readyok"}, {"go depth", "nobestmove"},
      {"position fen\ngo depth 3", "nobestmove"},
      {"position fen moves h2e2\ngo depth 3", "nobestmove"},
      {"position fen ////////////////// b\ngo depth 3", "nobestmove"},
      {"position fen rnbakabnr/9/1c5c1 w moves h2e2\ngo depth 3", "nobestmove"},
      {"position fen 9/9/9/9/9/9/9/9/9/9 w\ngo depth 3", "nobestmove"},
      {"position fen 4k4/9/9/9/9/9/9/9/9/4K4 w\ngo depth 3", "nobestmove"},  // kings face
      {"position fen 3k5/9/9/9/9/9/9/9/9/3RK4 w\ngo depth 3", "nobestmove"},  // king en prise
      {"position fen 3k5/9/9/9/9/9/1P7/9/9/4K4 w\ngo depth 3", "nobestmove"},  // no pawn reaches b3
      {"position fen " + noise + "\ngo depth 3", "nobestmove"},
      {"position banana\nponder time 5", "nobestmove"},
  };
  std::string input = "ucci\n";
  Lines expected;
  for (size_t i = 0; i < std::size(rows); ++i) {
    input += rows[i].first + (i % 2 ? "\r\n" : "\n") + "isready" + (i % 2 ? "\r\n" : "\n");
    if (rows[i].second) expected.push_back(rows[i].second);
    expected.push_back("readyok");
  }
  // A good position again, its replay stopped at the first bad move.
  input += "position startpos moves h2e2 h9g7 zzzz h0g2\r\ngo depth 1 \t\r\n";
  kit::Engine engine;
  EXPECT_EQ(engine.run(input), 0);
  Lines seen = replies(engine);
  ASSERT_EQ(seen.size(), expected.size() + 2) << engine.err;
  EXPECT_TRUE(legalAfter(START_FEN, "h2e2 h9g7", seen[expected.size()]));
  EXPECT_EQ(seen.back(), "bye");
  seen.resize(expected.size());
  EXPECT_EQ(seen, expected);
}

// Analysis answers only after "stop", with a searched move: not from the book
// at the start, not at once on a mate found; "isready" is answered meanwhile.
// Helper threads, set in either form of setoption, stop with it and are ended
// and started again between searches. The end of input ends an analysis with
// an answer and then "bye".
TEST(Protocol, ThreadsAnalyseUntilStopAndIsreadyIsAnsweredMeanwhile) {
  kit::Engine engine;
  ASSERT_TRUE(engine.handshake());
  engine.send("setoption hashsize 17\nsetoption threads 2");  // a resized table, a helper
  const auto stopped = [&](const std::string& fen, long waitMs) {
    engine.send("position fen " + fen + "\ngo infinite");
    EXPECT_EQ(engine.waitUntil(isFinal, waitMs), "<timeout>") << fen;
    engine.send("isready");
    EXPECT_EQ(engine.waitFor("readyok", 5000), "readyok");
    const auto sent = Clock::now();
    engine.send("stop");
    const std::string reply = engine.waitUntil(isFinal, 5000);
    EXPECT_LT(msSince(sent), STOP_MS) << reply;
    EXPECT_TRUE(legalAfter(fen, "", reply));
    return moveOf(reply);
  };
  stopped(START_FEN, 2000);
  EXPECT_EQ(engine.out.find("info depth 0 "), std::string::npos) << "a book move shown";
  EXPECT_EQ(stopped(MATE_IN_ONE_FEN, 500), "e1d1");
  engine.send("stop");  // no search: nothing to say
  stopped(MIDGAME_FEN, 1000);
  for (const char* threads : {"setoption threads 4", "setoption threads 1", "setoption threads 0",
                              "setoption threads x", "setoption name threads value 2"}) {
    engine.send(std::string(threads) + "\ngo depth 6");
    EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitUntil(isFinal, 20000))) << threads;
  }
  const auto sent = Clock::now();
  engine.send("go movetime 500");
  const std::string reply = engine.waitUntil(isFinal, 5000);
  EXPECT_TRUE(msSince(sent) < 500 + GRACE_MS && legalAfter(MIDGAME_FEN, "", reply)) << reply << " " << msSince(sent);
  engine.send("go infinite");
  ASSERT_TRUE(kit::startsWith(engine.waitFor("info depth 3"), "info depth 3"));
  EXPECT_EQ(engine.run("", 5000), 0);
  const Lines r = replies(engine);
  ASSERT_EQ(r.size(), 14u);
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", r[12]));
  EXPECT_EQ(r[13], "bye");
}

// The node count of the last search's summary ("info time=5ms nodes=22102 ..."); -1 if none.
static long nodesOfLastSearch(const Lines& lines) {
  for (auto l = lines.rbegin(); l != lines.rend(); ++l)
    if (const size_t at = l->find(" nodes="); at != std::string::npos) return std::stol(l->substr(at + 7));
  return -1;
}

// Each go keeps to its own limits, whatever came before (clocks in ms); the
// last node count counts every node. A row is answered within its bounds from
// its last line (the go, or the one sent after `waitMs`). A ponder search
// answers only after "ponderhit" (then on its go line's clock: a 10 s budget
// is about 312 ms; a fixed time whole) or "stop" (at once).
TEST(Protocol, EveryGoKeepsToItsOwnLimitsAndPonderingWaitsForPonderhit) {
  kit::Engine engine;
  ASSERT_TRUE(engine.handshake());
  engine.send(std::string("setoption usemillisec true\nposition fen ") + MIDGAME_FEN + "\ngo nodes 100000");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitUntil(isFinal)));
  const long nodes = nodesOfLastSearch(engine.lines);
  EXPECT_TRUE(nodes >= 100000 && nodes < 110000) << nodes;
  const struct { const char *go, *then; long waitMs, atLeastMs, atMostMs; } rows[] = {
      {"go movetime 1000", nullptr, 0, 900, 1000 + GRACE_MS},
      {"go depth 3", nullptr, 0, 0, 10000},
      {"go time 1000 increment 30000", nullptr, 0, 0, 1000 + GRACE_MS},  // capped by the clock
      {"go", "stop", 1000, 0, STOP_MS},
      {"go movetime 500", nullptr, 0, 400, 500 + GRACE_MS},  // right after an analysis
      {"go ponder time 10000 increment 0", "ponderhit", 300, 0, 1000 + GRACE_MS},
      {"go ponder time 10000 increment 0", "stop", 300, 0, STOP_MS},
      {"go ponder movetime 1500", "ponderhit", 700, 1200, 3000},  // not 800 ms: the time is whole
      {"go movetime 1000", "ponderhit", 500, 0, 900}};  // ignored: its clock goes on
  for (const auto& r : rows) {
    auto sent = Clock::now();
    engine.send(r.go);
    if (r.then != nullptr) {
      EXPECT_EQ(engine.waitUntil(isFinal, r.waitMs), "<timeout>") << r.go;
      sent = Clock::now();
      engine.send(r.then);
    }
    const std::string reply = engine.waitUntil(isFinal, 10000);
    const long ms = msSince(sent);
    EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", reply)) << r.go;
    EXPECT_TRUE(ms >= r.atLeastMs && ms < r.atMostMs) << r.go << ", then " << (r.then ? r.then : "-") << ": " << ms;
  }
}

// Lines that come while the engine thinks are served after its answer, in
// order; each iteration ends with the line front ends show. "nobestmove"
// only when no move may be chosen; banned moves are not played, until the
// next position; newgame forgets the last searches; bookfiles switches the
// book. "quit" while it thinks still lets the search finish an iteration.
TEST(Protocol, LinesWhileThinkingNobestmoveBansNewgameAndBooks) {
  kit::Engine engine;
  ASSERT_TRUE(engine.handshake());
  engine.send(std::string("position fen ") + MIDGAME_FEN + "\ngo depth 5\nposition fen " + TWO_MOVES_FEN +
              "\ngo depth 3");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitUntil(isFinal)));
  EXPECT_TRUE(legalAfter(TWO_MOVES_FEN, "", engine.waitUntil(isFinal)));
  const std::regex shown(R"(info depth 5 score -?\d+ time \d+ nodes [1-9]\d* nps \d+ pv( [a-i]\d[a-i]\d)+)");
  EXPECT_EQ(std::count_if(engine.lines.begin(), engine.lines.end(),
                          [&](const std::string& l) { return std::regex_match(l, shown); }), 1);
  const auto go = [&](const std::string& setup, const std::string& command) {
    engine.send(setup + "\n" + command);
    return engine.waitUntil(isFinal);
  };
  const std::string two = std::string("position fen ") + TWO_MOVES_FEN;
  const std::string mid = std::string("position fen ") + MIDGAME_FEN;
  EXPECT_EQ(go(two, "go depth 0"), "nobestmove");
  EXPECT_TRUE(legalAfter(TWO_MOVES_FEN, "", go(two, "go depth 1")));  // nothing stale
  for (const char* command : {"go depth 3", "go time 5 increment 1", "go nodes 1000"})
    EXPECT_EQ(go(std::string("position fen ") + MATED_FEN, command), "nobestmove") << command;
  const char* lost = "4kab2/4a4/4b4/2n6/9/p3P4/2n6/4B1p2/4r4/2BK5 w";  // mated whatever it plays
  EXPECT_TRUE(legalAfter(lost, "", go(std::string("position fen ") + lost, "go depth 6")));
  // Banned moves are not played, until the next position.
  EXPECT_EQ(go(two + "\nbanmoves e0e1 e0f0", "go depth 3"), "nobestmove");
  EXPECT_EQ(moveOf(go("banmoves e0e1", "go depth 3")), "e0f0");
  const std::string choice = moveOf(go(mid + "\nsetoption newgame", "go depth 4"));
  const std::string other = go("setoption newgame\nbanmoves " + choice, "go depth 4");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", other) && moveOf(other) != choice) << other;
  EXPECT_EQ(moveOf(go(mid + "\nsetoption newgame", "go depth 4")), choice);
  EXPECT_EQ(std::count_if(engine.lines.begin(), engine.lines.end(), isFinal), 13);
  // Newgame forgets the last searches; bookfiles switches the book.
  const auto nodes = [&](const std::string& setup) {
    engine.clearLines();
    engine.send(setup + "\ngo depth 5");
    EXPECT_TRUE(kit::startsWith(engine.waitUntil(isFinal), "bestmove")) << setup;
    return nodesOfLastSearch(engine.lines);
  };
  const long fresh = nodes("setoption newgame\n" + mid);
  ASSERT_GT(fresh, 0);
  ASSERT_NE(nodes(mid), fresh);  // what the table and history learnt shows
  EXPECT_EQ(nodes("setoption name newgame\n" + mid), fresh);
  EXPECT_EQ(nodes("position startpos"), -1);  // answered from the book
  EXPECT_GT(nodes("setoption bookfiles\nposition startpos"), 0);
  EXPECT_EQ(nodes("setoption bookfiles " + std::string(TOLVANE_BUILD_DIR) + "/OpenBook.dat\nposition startpos"), -1);
  engine.send(std::string("position fen ") + MATE_IN_ONE_FEN + "\ngo depth 7\nquit");
  EXPECT_EQ(moveOf(engine.waitUntil(isFinal)), "e1d1");
  EXPECT_TRUE(engine.waitExit() == 0 && engine.lines.back() == "bye");
}

// The binary copied into a directory of its own: the evaluation script must be
// beside it (beside the file itself, when started through a link); settings
// files are read from the working directory first, then beside the binary,
// and only warned about when missing or broken, as Network.nnue is. Each
// failure names its file; without the script the engine exits non-zero.
TEST(Protocol, DataFilesBesideTheBinaryAndInTheWorkingDirectory) {
  kit::TempDir home, elsewhere;
  home.copyIn(TOLVANE_BINARY, "tolvane");
  const auto copyData = [&](const char* name) { home.copyIn(std::string(TOLVANE_BUILD_DIR) + "/" + name, name); };
  struct Run { int code; std::string out, err; };
  const auto start = [&](const std::string& workDir, const std::string& binary = "", const char* first = "ucci") {
    kit::Process p(binary.empty() ? home.file("tolvane") : binary, {}, workDir);
    const int code = p.run(first + std::string("\nisready\nquit\n"));
    return Run{code, p.out, p.err};
  };
  const std::string ready = "ucciok\nreadyok\nbye\n", config = "配置文件装载失败", time = "时间分配文件装载失败";
  for (const char* name : {"PosVal.txt", "HowToThink.opt"}) copyData(name);
  // The learned evaluation off at first, whatever the shipped options say.
  std::string options = kit::readFile(home.file("HowToThink.opt"));
  ASSERT_EQ(options.size(), sizeof(SearchOptions));
  const auto useNetwork = [&](char on) {
    options[offsetof(SearchOptions, useNetwork)] = on;
    home.write("HowToThink.opt", options);
  };
  useNetwork(0);
  Run r = start(home.path);
  EXPECT_TRUE(r.code == 0 && r.out.find(ready) != std::string::npos) << r.out;
  EXPECT_TRUE(r.err.find(config) != std::string::npos && r.err.find(time) != std::string::npos &&
              r.err.find(home.file("Config.ini") + ": it cannot be opened") != std::string::npos) << r.err;
  for (const char* name : {"Config.ini", "TimeManagement.txt"}) copyData(name);
  r = start(elsewhere.path);
  EXPECT_TRUE(r.out.find(ready) != std::string::npos && r.err.empty()) << r.out << r.err;
  elsewhere.write("Config.ini", "hash_size_mb 32\n");  // no end mark
  r = start(elsewhere.path);
  EXPECT_NE(r.out.find(ready), std::string::npos) << r.out;
  EXPECT_TRUE(r.err.find(config) != std::string::npos && r.err.find(time) == std::string::npos &&
              r.err.find("Config.ini: it is damaged") != std::string::npos) << r.err;
  std::filesystem::create_symlink(home.file("tolvane"), elsewhere.file("linked"));
  r = start(elsewhere.path, elsewhere.file("linked"), "uci");
  EXPECT_TRUE(r.code == 0 && r.out.find("uciok\nreadyok\n") != std::string::npos) << r.out;
  // The learned evaluation switched on: a missing net is named once and the
  // script plays; a net plays with scores of its own; a damaged one is named
  // and the script plays again.
  useNetwork(1);
  const auto play = [&]() {  // out: the score line of the last iteration
    kit::Process p(home.file("tolvane"), {}, home.path);
    p.send("ucci\nposition fen " + std::string(MIDGAME_FEN) + "\ngo depth 6");
    EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", p.waitUntil(isFinal, 60000))) << p.err;  // "quit" would end the search
    const int code = p.run("quit\n");
    std::string score;
    for (const std::string& l : p.lines)
      if (kit::startsWith(l, "info depth 6 score ")) score = l.substr(0, l.find(" time "));
    return Run{code, score, p.err};
  };
  const Run script = play();
  EXPECT_TRUE(script.err.find(home.file("Network.nnue") + ": cannot be opened") != std::string::npos &&
              script.err.find("evaluates with the script") != std::string::npos) << script.err;
  EXPECT_EQ(std::count(script.err.begin(), script.err.end(), '\n'), 1) << script.err;
  const std::string net = kit::netImage(kit::randomNet(64, 8, 4));
  home.write("Network.nnue", net);
  const Run learned = play();
  EXPECT_TRUE(learned.code == 0 && learned.err.empty() && !learned.out.empty() && learned.out != script.out)
      << learned.err << learned.out;
  home.write("Network.nnue", net.substr(0, net.size() / 2));
  const Run damaged = play();
  EXPECT_NE(damaged.err.find("Network.nnue: payload cut short"), std::string::npos) << damaged.err;
  EXPECT_EQ(damaged.out, script.out);

  std::filesystem::remove(home.file("PosVal.txt"));
  for (const char* first : {"ucci", "uci"}) {
    r = start(home.path, "", first);
    EXPECT_TRUE(r.code != 0 && r.out.find("ok") == std::string::npos) << r.out;
    EXPECT_TRUE(r.err.find("评价脚本读取错误") != std::string::npos &&
                r.err.find(home.file("PosVal.txt") + ": it cannot be opened") != std::string::npos) << r.err;
  }
  EXPECT_NE(r.out.find("info string " + home.file("PosVal.txt")), std::string::npos) << r.out;
}

// The node count of the bench's last line, "nodes N time T nps K"; -1 if missing.
static long benchNodes(kit::Process& bench) {
  EXPECT_EQ(bench.run("", 600000), 0) << bench.err;
  const std::string last = bench.lines.empty() ? "" : bench.lines.back();
  return kit::startsWith(last, "nodes ") ? std::stol(last.substr(6)) : -1;
}

// Three runs side by side: the shipped options twice alike, and the classic
// profile (every later search technique off, the first evaluation script) at
// the first design's signature.
TEST(Game, BenchCountsTheSameNodesEveryRun) {
  constexpr long CLASSIC_SIGNATURE = 26724986;
  kit::Process first(TOLVANE_BINARY, {"bench"}, TOLVANE_BUILD_DIR);
  kit::Process second(TOLVANE_BINARY, {"bench"}, TOLVANE_BUILD_DIR);
  kit::Process classic(TOLVANE_BINARY,
                       {"bench", TOLVANE_BUILD_DIR "/Classic.opt", TOLVANE_BUILD_DIR "/ClassicPosVal.txt"},
                       TOLVANE_BUILD_DIR);
  const long nodes = benchNodes(first);
  EXPECT_TRUE(nodes > 0 && benchNodes(second) == nodes) << nodes;
  EXPECT_EQ(benchNodes(classic), CLASSIC_SIGNATURE);
}

namespace {

// "info depth 5 seldepth 9 multipv 2 score cp 12 nodes ..." -> the value after `word`.
std::string field(const std::string& line, const std::string& word) {
  std::smatch m;
  if (!std::regex_search(line, m, std::regex(" " + word + " (\\S+( \\S+)?)"))) return "";
  return word == "score" ? m[1].str() : m[1].str().substr(0, m[1].str().find(' '));
}

const std::regex INFO_LINE(
    "info depth (\\d+) seldepth (\\d+) multipv \\d+ score (cp -?\\d+|mate -?\\d+) nodes (\\d+) nps (\\d+) "
    "hashfull \\d+ time (\\d+) pv( [a-i]\\d[a-i]\\d)+");

struct UciEngine : kit::Engine {
  // Sends a position and a go line; the final reply, timed. Every line with
  // a pv parses, a selective depth at least the depth, nps as nodes and time
  // say, and every move of the line legal in turn.
  std::string go(const std::string& position, const std::string& goLine, long* ms = nullptr) {
    clearLines();
    send(position);
    const auto sent = Clock::now();
    send(goLine);
    const std::string reply = waitFor("bestmove ");
    if (ms != nullptr) *ms = msSince(sent);
    auto b = kit::newBoard();
    const bool valid = servePosition(*b, position.c_str(), true);
    for (const std::string& info : infoWith("pv")) {
      std::smatch m;  // depth, seldepth, score, nodes, nps, time
      if (!std::regex_match(info, m, INFO_LINE)) ADD_FAILURE() << info;
      else EXPECT_TRUE(std::stoi(m[2]) >= std::stoi(m[1]) &&
                       std::stoull(m[5]) == (m[6] == "0" ? 0 : std::stoull(m[4]) * 1000 / std::stoull(m[6]))) << info;
      std::istringstream pv(info.substr(info.find(" pv ") + 4));
      int made = 0, total = 0;
      for (std::string move; pv >> move; ++total) made += made == total && kit::play(*b, move);
      EXPECT_TRUE(!valid || made == total) << position << ": " << info;
      while (made-- > 0) b->unmakeMove();
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
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "a3a4", reply) && ms > 200) << reply << " after " << ms << " ms";
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
  std::set<std::string> firsts;  // each legal: go looks at every line
  for (size_t k = 0; k < last.size(); ++k) {
    firsts.insert(field(last[k], "pv"));
    EXPECT_TRUE(k == 0 || std::stoi(field(last[k - 1], "cp")) >= std::stoi(field(last[k], "cp"))) << last[k];
  }
  EXPECT_TRUE(firsts.size() == 4 && !firsts.count("")) << firsts.size();
  EXPECT_EQ(moveOf(reply), field(last[0], "pv"));
  // A refused position or move is reported; go answers "bestmove (none)"
  // there, as it does with no move to play. (Pondering: the UCCI sessions.)
  EXPECT_TRUE(e.go("position fen 3k5/9/9/9/9/9/1P7/9/9/4K4 w", "go depth 3") == "bestmove (none)" &&
              !e.infoWith("refused").empty());
  EXPECT_EQ(e.go(std::string("position fen ") + MATED_FEN, "go depth 3"), "bestmove (none)");
  e.send("position startpos moves h2e2 h9h1\nisready");
  EXPECT_TRUE(e.waitFor("readyok") == "readyok" && !e.infoWith("h9h1:").empty());
  e.send("quit");
  EXPECT_EQ(e.waitExit(), 0);
}
