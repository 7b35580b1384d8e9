// Whole sessions with the built engine over real pipes: the handshake, the
// shut-down paths and input of every kind, with the data files beside the
// binary or missing and damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "frontend/engine_process.h"

namespace {

const std::string BUILD_DIR = TOLVANE_BUILD_DIR;

const std::vector<std::string> OPTION_LINES = {
    "option batch type check default false",
    "option debug type check default false",
    "option ponder type check default false",
    "option bookfiles type string default ",
    "option hashsize type spin min 16 max 1024 default 16",
    "option pruning type combo var none var small var medium var large default large",
    "option knowledge type combo var none var small var medium var large default large",
    "option selectivity type combo var none var small var medium var large default none",
    "option loadbook type button",
    "ucciok",
};

EngineRun runInBuildDir(const std::string& input) {
  EngineLaunch launch;
  launch.binary = TOLVANE_BINARY;
  launch.workDir = BUILD_DIR;
  launch.input = input;
  return runEngineProcess(launch);
}

// The replies after "ucciok", without the search's "info" lines.
std::vector<std::string> repliesAfterUcciok(const EngineRun& run) {
  std::vector<std::string> replies;
  auto it = std::find(run.lines.begin(), run.lines.end(), "ucciok");
  if (it == run.lines.end()) return {"<no ucciok>"};
  for (++it; it != run.lines.end(); ++it)
    if (it->compare(0, 5, "info ") != 0) replies.push_back(*it);
  return replies;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

TEST(Protocol, HandshakeIdentifiesAndQuitSaysByeLast) {
  const EngineRun run = runInBuildDir("ucci\nisready\nquit\n");
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.lines.size(), 4 + OPTION_LINES.size() + 2) << run.out << run.err;
  EXPECT_EQ(run.lines[0], "id name Tolvane");
  EXPECT_EQ(run.lines[1].compare(0, 13, "id copyright "), 0);
  EXPECT_GT(run.lines[1].size(), 13u);
  EXPECT_EQ(run.lines[2], "id author Tolvane developers");
  EXPECT_EQ(run.lines[3], "id user Tolvane Test Team");
  for (size_t i = 0; i < OPTION_LINES.size(); ++i) EXPECT_EQ(run.lines[4 + i], OPTION_LINES[i]);
  EXPECT_EQ(repliesAfterUcciok(run), (std::vector<std::string>{"readyok", "bye"}));
  EXPECT_EQ(run.out.back(), '\n');
}

TEST(Protocol, AnythingButUcciFirstEndsSilentlyWithoutWaiting) {
  for (const char* first : {"uci\n", "ucci x\n", "UCCI\n", "\n", "isready\n", "\tucci\n"}) {
    EngineLaunch launch;
    launch.binary = TOLVANE_BINARY;
    launch.workDir = BUILD_DIR;
    launch.input = std::string(first) + "ucci\nisready\n";
    launch.closeInput = false;  // the engine must leave on its own
    const EngineRun run = runEngineProcess(launch);
    EXPECT_FALSE(run.timedOut) << first;
    EXPECT_EQ(run.exitCode, 0) << first;
    EXPECT_EQ(run.out, "") << first;
  }
}

TEST(Protocol, EndOfInputEndsTheEngineLikeQuit) {
  const EngineRun silent = runInBuildDir("");
  EXPECT_FALSE(silent.timedOut);
  EXPECT_EQ(silent.exitCode, 0);
  EXPECT_EQ(silent.out, "");

  const EngineRun run = runInBuildDir("ucci\nisready");
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(repliesAfterUcciok(run), (std::vector<std::string>{"readyok", "bye"}));
}

TEST(Protocol, BadInputOfEveryKindIsSurvived) {
  std::string input = "ucci\n";
  input += "\n   \n\t\nsetoption name hashsize value 999999\nbanmoves h2e2\nucci\n";
  input += std::string(40, 'q') + " isready\n";
  input += "position\nposition fen\nposition fen moves h2e2\nposition fen ////////////////// b\n";
  input += "position fen rnbakabnr/9/1c5c1 w moves h2e2\n";
  input += "position startpos moves h2e2 h2e2 zzzz a0a0 \x01\x02\x03\n";
  input += "position startpos moves h9g7 i0i9 e0e9 j9j9\n";
  // A thousand moves.
  std::string longGame = "position startpos moves";
  for (int i = 0; i < 250; ++i) longGame += " h0g2 h9g7 g2h0 g7h9";
  input += longGame + "\n";
  // A 100 KB line of bytes of every value but the newline.
  std::mt19937 rng(7);
  std::string noise = "position fen ";
  while (noise.size() < 100000) {
    const char c = static_cast<char>(rng() % 256);
    if (c != '\n') noise += c;
  }
  input += noise + "\n" + noise.substr(13) + "\n";
  input += "position fen 3k5/9/9/9/9/9/9/9/9/3RK4 w\ngo depth 1\nponder\n";
  input += "isready\nquit\n";

  const EngineRun run = runInBuildDir(input);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(repliesAfterUcciok(run),
            (std::vector<std::string>{"nobestmove", "nobestmove", "readyok", "bye"}))
      << run.err;
}

// ------------------------------------------------ data files beside the binary

namespace {

class DataFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path.empty());
    dir.copyIn(TOLVANE_BINARY, "tolvane");
  }
  void copyData(const std::string& name) const { dir.copyIn(BUILD_DIR + "/" + name, name); }
  EngineRun start(const std::string& workDir) const {
    EngineLaunch launch;
    launch.binary = dir.path + "/tolvane";
    launch.workDir = workDir;
    launch.input = "ucci\nisready\nquit\n";
    return runEngineProcess(launch);
  }
  void expectRefusal(const EngineRun& run) const {
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(contains(run.err, "评价脚本读取错误")) << run.err;
    EXPECT_FALSE(contains(run.out, "ucciok")) << run.out;
  }
  TempDir dir;
};

}  // namespace

TEST_F(DataFiles, NoEvaluationScriptNoEngine) {
  copyData("Config.ini");
  copyData("TimeManagement.txt");
  copyData("HowToThink.opt");
  expectRefusal(start(dir.path));
}

TEST_F(DataFiles, DamagedEvaluationScriptNoEngine) {
  const std::string script = readFile(BUILD_DIR + "/PosVal.txt");
  std::string wrongMark = script;
  const size_t mark = wrongMark.rfind("777");
  if (mark != std::string::npos) wrongMark.replace(mark, 3, "778");
  dir.write("PosVal.txt", wrongMark);
  expectRefusal(start(dir.path));
  dir.write("PosVal.txt", script.substr(0, script.size() / 2));
  expectRefusal(start(dir.path));
  dir.write("PosVal.txt", "garbage\n");
  expectRefusal(start(dir.path));
}

TEST_F(DataFiles, OtherFilesMissingOnlyWarn) {
  copyData("PosVal.txt");
  // Config.ini and TimeManagement.txt are in neither the working directory
  // nor beside the binary.
  TempDir elsewhere;
  const EngineRun run = start(elsewhere.path);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(repliesAfterUcciok(run), (std::vector<std::string>{"readyok", "bye"})) << run.err;
  EXPECT_TRUE(contains(run.err, "配置文件装载失败")) << run.err;
  EXPECT_TRUE(contains(run.err, "时间分配文件装载失败")) << run.err;
}

TEST_F(DataFiles, EverythingFoundBesideTheBinaryAndInTheWorkingDirectory) {
  for (const char* name : {"PosVal.txt", "HowToThink.opt", "Config.ini", "TimeManagement.txt"})
    copyData(name);
  const EngineRun run = start(dir.path);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(repliesAfterUcciok(run), (std::vector<std::string>{"readyok", "bye"})) << run.err;
  EXPECT_FALSE(contains(run.err, "失败")) << run.err;
}

TEST_F(DataFiles, SettingsFilesFoundBesideTheBinaryFromAnotherDirectory) {
  for (const char* name : {"PosVal.txt", "HowToThink.opt", "Config.ini", "TimeManagement.txt"})
    copyData(name);
  TempDir elsewhere;
  const EngineRun run = start(elsewhere.path);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(repliesAfterUcciok(run), (std::vector<std::string>{"readyok", "bye"}));
  EXPECT_EQ(run.err, "");
}

TEST_F(DataFiles, SettingsFilesOfTheWorkingDirectoryComeFirst) {
  for (const char* name : {"PosVal.txt", "HowToThink.opt", "Config.ini", "TimeManagement.txt"})
    copyData(name);
  TempDir elsewhere;
  elsewhere.write("Config.ini", "hash_size_mb 32\n");  // no end mark
  const EngineRun run = start(elsewhere.path);
  EXPECT_EQ(repliesAfterUcciok(run), (std::vector<std::string>{"readyok", "bye"}));
  EXPECT_TRUE(contains(run.err, "配置文件装载失败")) << run.err;
  EXPECT_FALSE(contains(run.err, "时间分配文件装载失败")) << run.err;
}
