// The engine with the learned evaluation, through a real pipe: its binary
// copied beside a random net and an option image with the switch on.
#include <algorithm>

#include "common/netfiles.h"
#include "frontend/session.h"

using namespace frontendtest;

// With the net the engine answers legally, with scores of its own; a missing
// or damaged net is named once on stderr and the script plays instead.
TEST(Network, TheEnginePlaysWithTheNetAndWithoutIt) {
  kit::TempDir home;
  home.copyIn(TOLVANE_BINARY, "tolvane");
  for (const char* name : {"PosVal.txt", "Config.ini", "TimeManagement.txt"})
    home.copyIn(std::string(TOLVANE_BUILD_DIR) + "/" + name, name);
  std::string options = kit::readFile(TOLVANE_BUILD_DIR "/HowToThink.opt");
  ASSERT_EQ(options.size(), 272u);
  options[0xBC] = 1;  // useNetwork
  home.write("HowToThink.opt", options);
  const std::string net = kit::netImage(kit::randomNet(64, 8, 4));
  const std::string go = "setoption bookfiles\nposition fen " + std::string(MIDGAME_FEN) + "\ngo depth 6\n";
  struct Run { std::string reply, score, err; };
  const auto play = [&]() {
    kit::Process p(home.file("tolvane"), {}, home.path);
    p.send("ucci\n" + go);  // "quit" only after the answer: it would end the search
    p.waitUntil(isFinal, 60000);
    EXPECT_EQ(p.run("quit\n"), 0);
    std::string score;  // of the last iteration
    for (const std::string& l : p.lines)
      if (kit::startsWith(l, "info depth 6 score ")) score = l.substr(0, l.find(" time "));
    const std::vector<std::string> r = replies(p);
    return Run{r.empty() ? "" : r[0], score, p.err};
  };
  const Run script = play();  // no net beside it
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", script.reply));
  EXPECT_NE(script.err.find(home.file("Network.nnue") + ": cannot be opened"), std::string::npos) << script.err;
  EXPECT_NE(script.err.find("evaluates with the script"), std::string::npos) << script.err;
  EXPECT_EQ(std::count(script.err.begin(), script.err.end(), '\n'), 1) << script.err;

  home.write("Network.nnue", net);
  const Run learned = play();
  EXPECT_TRUE(legalAfter(MIDGAME_FEN, "", learned.reply));
  EXPECT_EQ(learned.err, "");
  EXPECT_FALSE(learned.score.empty());
  EXPECT_NE(learned.score, script.score);

  home.write("Network.nnue", net.substr(0, net.size() / 2));
  const Run damaged = play();
  EXPECT_NE(damaged.err.find("Network.nnue: payload cut short"), std::string::npos) << damaged.err;
  EXPECT_EQ(damaged.score, script.score);
}
