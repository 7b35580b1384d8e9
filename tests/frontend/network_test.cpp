// The engine with the learned evaluation through a real pipe: its binary
// copied beside a random net and an option image with the switch on. It
// answers legally with scores of its own; a missing or damaged net is named
// once on stderr and the script plays instead.
#include <algorithm>

#include "common/netfiles.h"
#include "frontend/session.h"

using namespace frontendtest;

TEST(Network, TheEnginePlaysWithTheNetAndWithoutIt) {
  kit::TempDir home;
  home.copyIn(TOLVANE_BINARY, "tolvane");
  for (const char* name : {"PosVal.txt", "Config.ini", "TimeManagement.txt"})
    home.copyIn(std::string(TOLVANE_BUILD_DIR) + "/" + name, name);
  std::string options = kit::readFile(TOLVANE_BUILD_DIR "/HowToThink.opt");
  ASSERT_EQ(options.size(), 272u);
  options[0xBC] = 1;  // useNetwork
  home.write("HowToThink.opt", options);
  struct Run { std::string reply, score, err; };
  const auto play = [&]() {
    kit::Process p(home.file("tolvane"), {}, home.path);
    p.send("ucci\nposition fen " + std::string(MIDGAME_FEN) + "\ngo depth 6");
    const std::string reply = p.waitUntil(isFinal, 60000);  // "quit" would end the search
    EXPECT_EQ(p.run("quit\n"), 0);
    std::string score;  // of the last iteration
    for (const std::string& l : p.lines)
      if (kit::startsWith(l, "info depth 6 score ")) score = l.substr(0, l.find(" time "));
    EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", reply)) << p.err;
    return Run{reply, score, p.err};
  };
  const Run script = play();
  EXPECT_NE(script.err.find(home.file("Network.nnue") + ": cannot be opened"), std::string::npos) << script.err;
  EXPECT_NE(script.err.find("evaluates with the script"), std::string::npos) << script.err;
  EXPECT_EQ(std::count(script.err.begin(), script.err.end(), '\n'), 1) << script.err;

  const std::string net = kit::netImage(kit::randomNet(64, 8, 4));
  home.write("Network.nnue", net);
  const Run learned = play();
  EXPECT_EQ(learned.err, "");
  EXPECT_TRUE(!learned.score.empty() && learned.score != script.score) << learned.score;

  home.write("Network.nnue", net.substr(0, net.size() / 2));
  const Run damaged = play();
  EXPECT_NE(damaged.err.find("Network.nnue: payload cut short"), std::string::npos) << damaged.err;
  EXPECT_EQ(damaged.score, script.score);
}
