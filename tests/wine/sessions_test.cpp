// Sessions with tolvane.exe under Wine through real pipes (`make test-windows`):
// a host pipe straight into Wine (the match tool's way, which Windows cannot
// peek at) and pipe_relay.exe, which starts it as a Windows front end does.
#include <cstdlib>
#include <filesystem>

#include "config/searchoptions.h"
#include "frontend/session.h"

using namespace frontendtest;
using Args = std::vector<std::string>;
using kit::startsWith;

namespace {

const std::string WIN_DIR = std::getenv("TOLVANE_WIN_BUILD") ? std::getenv("TOLVANE_WIN_BUILD") : "";
const std::string WINE = std::getenv("WINE") ? std::getenv("WINE") : "/usr/bin/wine";
const std::string FEN = MIDGAME_FEN;

std::string windowsPath(std::string path) {
  for (char& c : path) c = c == '/' ? '\\' : c;
  return "Z:" + path;
}

struct Exe : kit::Process {
  // tolvane.exe of `home`, working in `workDir`; through the relay or not.
  Exe(bool relay, const std::string& workDir = WIN_DIR, const std::string& home = WIN_DIR)
      : kit::Process(WINE, relay ? Args{windowsPath(WIN_DIR + "/pipe_relay.exe"), windowsPath(workDir),
                                        windowsPath(home + "/tolvane.exe")}
                                 : Args{home + "/tolvane.exe"}, workDir) {}
  std::vector<std::string> answers() {  // Windows ends its lines in CR LF
    for (std::string& line : lines)
      if (!line.empty() && line.back() == '\r') line.pop_back();
    return replies(*this);
  }
};

class WineSession : public ::testing::TestWithParam<bool> {};

}  // namespace

TEST_P(WineSession, CrLfBadInputMovesAndTheEndOfInput) {
  Exe e(GetParam());
  std::string noise;  // one line of 300 KB
  for (unsigned i = 0; noise.size() < 300000; ++i) noise += static_cast<char>(i * 7919 % 255 + 11);
  e.sendRaw("ucci\r\n" + noise + "\n\x01\xff\r\nposition fen 9/9 w\r\ngo depth 2\nisready\r\n");
  e.send("position fen " + FEN + " moves c3c4 zzzz c6c5\r\ngo depth 5\r\nposition fen " + FEN +
         " moves c3c4 c6c5\ngo infinite");
  e.waitUntil(isFinal);  // of go depth 5
  ASSERT_TRUE(startsWith(e.waitFor("info depth 3"), "info depth 3")) << e.err;
  EXPECT_EQ(e.run("", 5000), 0);
  EXPECT_EQ(e.lines.at(0), "id name Tolvane\r");
  const auto a = e.answers();
  ASSERT_EQ(a.size(), 5u) << e.out;
  EXPECT_TRUE(a[0] == "nobestmove" && a[1] == "readyok" && a[4] == "bye") << e.out;
  EXPECT_TRUE(legalAfter(FEN, "c3c4", a[2]));
  EXPECT_TRUE(legalAfter(FEN, "c3c4 c6c5", a[3]));
}

// A UCI session with a helper thread beside the main one (Windows threads
// and wake-ups): a clock of black's, several lines, isready and stop while
// it thinks, a refused position, and quit while it thinks.
TEST_P(WineSession, ThinksOnTheClockAndHearsIsreadyStopAndQuit) {
  Exe e(GetParam());
  e.send("uci");
  EXPECT_EQ(e.waitFor("uciok"), "uciok\r") << e.err;
  e.send("setoption name Threads value 2\nsetoption name MultiPV value 2\nposition fen " + FEN +
         " moves c3c4\ngo wtime 100 btime 3000 winc 0 binc 0");
  auto sent = Clock::now();
  const std::string reply = e.waitFor("bestmove", 10000);
  EXPECT_TRUE(legalAfter(FEN, "c3c4", reply.substr(0, reply.size() - 1))) << reply;
  EXPECT_LT(msSince(sent), 3000);
  EXPECT_NE(e.out.find(" multipv 2 score cp "), std::string::npos);
  e.send("go infinite");
  ASSERT_TRUE(startsWith(e.waitFor("info depth 4"), "info depth 4"));
  e.send("isready");
  EXPECT_EQ(e.waitUntil([](const std::string& l) { return !startsWith(l, "info"); }), "readyok\r");
  sent = Clock::now();
  e.send("stop");
  EXPECT_TRUE(startsWith(e.waitFor("bestmove", 10000), "bestmove "));
  EXPECT_LT(msSince(sent), 1000);
  e.send("position fen 3k5/9/9/9/9/9/1P7/9/9/4K4 w\ngo depth 2");
  EXPECT_EQ(e.waitFor("bestmove"), "bestmove (none)\r");
  e.send("position fen " + FEN + "\ngo infinite");
  ASSERT_TRUE(startsWith(e.waitFor("info depth 3"), "info depth 3"));
  e.send("quit");
  EXPECT_EQ(e.waitExit(5000), 0);
  const auto a = e.answers();
  EXPECT_TRUE(legalAfter(FEN, "", a.at(a.size() - 2)));
  EXPECT_EQ(a.back(), "bye");
}

// The data files are found beside the executable from any working directory
// (the relay names it without its folder), the debug console never holds a
// search, and without PosVal.txt the engine ends at once with its message:
// no message box may wait for a click here.
TEST_P(WineSession, DataFilesBesideTheExeAndAMissingEvaluationScript) {
  kit::TempDir elsewhere, home;
  for (const char* name : {"tolvane.exe", "Config.ini", "TimeManagement.txt", "PosVal.txt", "Network.nnue"})
    home.copyIn(WIN_DIR + "/" + name, name);
  std::string options = kit::readFile(WIN_DIR + "/HowToThink.opt");
  options.at(offsetof(SearchOptions, debugConsole)) = 1;
  home.write("HowToThink.opt", options);
  Exe found(GetParam(), elsewhere.path, home.path);
  found.send("ucci\nposition fen " + FEN + "\ngo depth 6");
  EXPECT_TRUE(legalAfter(FEN, "", found.waitUntil(isFinal))) << found.out << found.err;
  EXPECT_EQ(found.run("quit\n"), 0);
  EXPECT_EQ(found.err.find("] "), std::string::npos) << found.err;  // no loader message

  std::filesystem::remove(home.file("PosVal.txt"));
  Exe missing(GetParam(), elsewhere.path, home.path);
  EXPECT_EQ(missing.run("ucci\nisready\n", 10000), 1);
  EXPECT_TRUE(missing.out.find("ucciok") == std::string::npos && missing.err.find("评价脚本读取错误") != std::string::npos)
      << missing.out << missing.err;
}

INSTANTIATE_TEST_SUITE_P(Routes, WineSession, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "FrontEndPipe" : "HostPipe"; });

TEST(WineBuild, CountsNodesAsTheNativeBuild) {
  for (const Args& args : {Args{"perft", "4"}, Args{"perft", "3", FEN}, Args{"bench"}}) {
    Args wineArgs{WIN_DIR + "/tolvane.exe"};
    wineArgs.insert(wineArgs.end(), args.begin(), args.end());
    kit::Process native(TOLVANE_BINARY, args, TOLVANE_BUILD_DIR), exe(WINE, wineArgs, WIN_DIR);
    EXPECT_EQ(native.run("") + exe.run("", 60000), 0);
    const auto nodes = [](const kit::Process& p) {  // "nodes N" of the last line
      const size_t at = p.out.rfind("nodes ");
      return at == std::string::npos ? "none" : p.out.substr(at, p.out.find(' ', at + 6) - at);
    };
    EXPECT_EQ(nodes(exe), nodes(native)) << args[0] << exe.err;
    EXPECT_NE(nodes(native), "none");
  }
}
