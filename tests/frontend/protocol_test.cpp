// UCCI sessions with the built engine through a real pipe, the data files it
// starts from, whole games against itself, and the bench's node count.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <random>
#include <regex>

#include "frontend/session.h"

using namespace frontendtest;
using Lines = std::vector<std::string>;

// Only "ucci" or "uci" as the first line starts a session: any other ends the
// engine silently. The end of input, even right after a line without its
// newline, is a "quit".
TEST(Protocol, HandshakeOnlyAfterUcciAndTheEndOfInputSaysByeLast) {
  kit::Engine engine;
  EXPECT_EQ(engine.run("ucci\nisready"), 0);
  EXPECT_EQ(engine.lines.empty() ? "" : engine.lines[0], "id name Tolvane") << engine.err;
  // The table size announced is the one Config.ini gave.
  for (const char* option : {"option hashsize type spin min 16 max 1024 default 32",
                             "option threads type spin min 1 max 128 default 1",
                             "option bookfiles type string default ", "option newgame type button",
                             "option usemillisec type check default false",
                             "option multipv type spin min 1 max 128 default 1"})
    EXPECT_NE(std::find(engine.lines.begin(), engine.lines.end(), option), engine.lines.end()) << option;
  EXPECT_EQ(replies(engine), (Lines{"readyok", "bye"}));
  EXPECT_EQ(engine.out.back(), '\n');
  kit::Engine silent;  // no line at all
  EXPECT_EQ(silent.run(""), 0);
  EXPECT_EQ(silent.out, "");
  for (const char* first : {"uci x", "ucci x", "UCCI", "", "isready", "\tucci"}) {
    kit::Engine other;
    other.sendRaw(std::string(first) + "\nucci\nisready\n");  // input left open: it leaves by itself
    EXPECT_EQ(other.waitExit(5000), 0) << first;
    EXPECT_EQ(other.out, "") << first;
  }
}

// Every row is followed by "isready": a row answers its reply, if any, and
// leaves the engine ready. Odd rows end in CR-LF. Positions that cannot be set
// up refuse every go until a good one comes.
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

// Analysis answers only after "stop", and with a searched move: not from the
// book at the start, not at once on a mate found. "isready" is answered
// while it thinks; the end of input ends it with an answer and then "bye".
TEST(Protocol, AnalysisWaitsForStopAndIsreadyIsAnsweredMeanwhile) {
  kit::Engine engine;
  ASSERT_TRUE(engine.handshake());
  engine.send("setoption hashsize 17");  // a resized table
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
  engine.send(std::string("position fen ") + MIDGAME_FEN + "\ngo infinite");
  ASSERT_TRUE(kit::startsWith(engine.waitFor("info depth 3"), "info depth 3"));
  engine.closeInput();
  EXPECT_EQ(engine.waitExit(5000), 0);
  const Lines r = replies(engine);
  ASSERT_EQ(r.size(), 6u);
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", r[4]));
  EXPECT_EQ(r[5], "bye");
}

// The node count of the last search's summary ("info time=5ms nodes=22102 ..."); -1 if none.
static long nodesOfLastSearch(const Lines& lines) {
  for (auto l = lines.rbegin(); l != lines.rend(); ++l)
    if (const size_t at = l->find(" nodes="); at != std::string::npos) return std::stol(l->substr(at + 7));
  return -1;
}

// Each go keeps to its own limits, whatever came before (clocks in
// milliseconds); the last report of a node count counts every node. A row is
// answered within its bounds, counted from its last line: the go line, or the
// one sent after `waitMs` without an answer. A ponder search answers only
// after "ponderhit" (then on its go line's clock from there: 10 s budget about
// 312 ms, never past its hard limit; a fixed time whole) or "stop" (at once).
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

// Helper threads think with the main one: announced in the handshake, set
// in either form of setoption, stopped with it within the stop latency,
// ended and started again between searches, gone at "quit".
TEST(Protocol, ThreadsThinkTogetherAndStopTogether) {
  kit::Engine engine;
  ASSERT_TRUE(engine.handshake());
  engine.send(std::string("setoption threads 2\nposition fen ") + MIDGAME_FEN + "\ngo infinite");
  ASSERT_TRUE(kit::startsWith(engine.waitFor("info depth 5"), "info depth 5"));
  auto sent = Clock::now();
  engine.send("stop");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitUntil(isFinal, 5000)));
  EXPECT_LT(msSince(sent), STOP_MS);
  for (const char* threads : {"setoption threads 4", "setoption threads 1", "setoption threads 0",
                              "setoption threads x", "setoption name threads value 2"}) {
    engine.send(std::string(threads) + "\ngo depth 6");
    EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitUntil(isFinal, 20000))) << threads;
  }
  sent = Clock::now();
  engine.send("go movetime 500");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitUntil(isFinal, 5000)));
  EXPECT_LT(msSince(sent), 500 + GRACE_MS);
  engine.send("go infinite\nquit");
  EXPECT_EQ(engine.waitExit(5000), 0);
  EXPECT_EQ(engine.lines.back(), "bye");
}

// Lines that come while the engine thinks are served after its answer, in
// order; "quit" among them still lets the search finish its first iteration.
// Each iteration ends with the line front ends show.
TEST(Protocol, LinesSentWhileThinkingAreServedAfterTheAnswer) {
  kit::Engine engine;
  ASSERT_TRUE(engine.handshake());
  engine.send(std::string("position fen ") + MIDGAME_FEN + "\ngo depth 5\nposition fen " + TWO_MOVES_FEN +
              "\ngo depth 3");
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", engine.waitUntil(isFinal)));
  EXPECT_TRUE(legalAfter(TWO_MOVES_FEN, "", engine.waitUntil(isFinal)));
  engine.send(std::string("position fen ") + MATE_IN_ONE_FEN + "\ngo depth 7\nquit");
  EXPECT_EQ(moveOf(engine.waitUntil(isFinal)), "e1d1");
  EXPECT_EQ(engine.waitExit(), 0);
  EXPECT_EQ(engine.lines.back(), "bye");
  const std::regex shown(R"(info depth 5 score -?\d+ time \d+ nodes [1-9]\d* nps \d+ pv( [a-i]\d[a-i]\d)+)");
  EXPECT_EQ(std::count_if(engine.lines.begin(), engine.lines.end(),
                          [&](const std::string& l) { return std::regex_match(l, shown); }), 1);
}

TEST(Protocol, NobestmoveOnlyWhenNoMoveMayBeChosenAndNewgameForgets) {
  kit::Engine engine;
  ASSERT_TRUE(engine.handshake());
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
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", other));
  EXPECT_NE(moveOf(other), choice);
  EXPECT_EQ(moveOf(go(mid + "\nsetoption newgame", "go depth 4")), choice);
  EXPECT_EQ(std::count_if(engine.lines.begin(), engine.lines.end(), isFinal), 11);
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
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
}

// The binary copied into a directory of its own: the evaluation script must be
// beside it (beside the file itself, when started through a link); the
// settings files are read from the working directory first, then beside the
// binary, and only warned about when missing or broken. Each failure names
// its file; without the script the engine ends with a non-zero code.
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
  Run r = start(home.path);
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find(ready), std::string::npos) << r.out;
  EXPECT_NE(r.err.find(config), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(time), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(home.file("Config.ini") + ": it cannot be opened"), std::string::npos) << r.err;
  for (const char* name : {"Config.ini", "TimeManagement.txt"}) copyData(name);
  r = start(elsewhere.path);
  EXPECT_NE(r.out.find(ready), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "");
  elsewhere.write("Config.ini", "hash_size_mb 32\n");  // no end mark
  r = start(elsewhere.path);
  EXPECT_NE(r.out.find(ready), std::string::npos) << r.out;
  EXPECT_NE(r.err.find(config), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find(time), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Config.ini: it is damaged"), std::string::npos) << r.err;
  std::filesystem::create_symlink(home.file("tolvane"), elsewhere.file("linked"));
  r = start(elsewhere.path, elsewhere.file("linked"), "uci");
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("uciok\nreadyok\n"), std::string::npos) << r.out;
  std::filesystem::remove(home.file("PosVal.txt"));
  for (const char* first : {"ucci", "uci"}) {
    r = start(home.path, "", first);
    EXPECT_NE(r.code, 0);
    EXPECT_EQ(r.out.find("ok"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("评价脚本读取错误"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(home.file("PosVal.txt") + ": it cannot be opened"), std::string::npos) << r.err;
  }
  EXPECT_NE(r.out.find("info string " + home.file("PosVal.txt")), std::string::npos) << r.out;
}

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

// The node count of the bench's last line, "nodes N time T nps K"; -1 if missing.
static long benchNodes(kit::Process& bench) {
  EXPECT_EQ(bench.run("", 600000), 0) << bench.err;
  const std::string last = bench.lines.empty() ? "" : bench.lines.back();
  return kit::startsWith(last, "nodes ") ? std::stol(last.substr(6)) : -1;
}

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
