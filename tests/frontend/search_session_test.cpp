// Sessions with the thinking engine over real pipes: searches under each
// kind of limit, stop, quit and isready while thinking, positions without a
// move, garbage between good commands. Every go gets exactly one final line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/session_helpers.h"

namespace {

// Black to move has no legal move (red rook mates on the back rank).
constexpr const char* MATED_FEN = "3k5/3R5/3R5/9/9/9/9/9/9/4K4 b";

}  // namespace

TEST(SearchSession, FullGameSessionGivesLegalMoves) {
  LiveEngine engine;
  handshakeWithoutBook(engine);
  engine.send("isready");
  EXPECT_EQ(engine.waitFor("readyok"), "readyok");
  engine.send("position startpos");
  engine.send("go depth 8");
  std::string reply = engine.waitFor("bestmove");
  EXPECT_TRUE(legalAfter(START_FEN, "", reply)) << reply;
  EXPECT_NE(reply.find(" ponder "), std::string::npos) << reply;

  // A game goes on with replies under each kind of limit.
  std::string moves;
  const char* limits[] = {"go time 10 increment 0", "go depth 4", "go time 60 movestogo 20",
                          "go time 2", "go time 1 increment 1", "go depth 1"};
  for (const char* go : limits) {
    moves += (moves.empty() ? "" : " ") + reply.substr(9, 4);
    engine.send("position startpos moves " + moves);
    engine.send(go);
    reply = engine.waitFor("bestmove");
    ASSERT_TRUE(legalAfter(START_FEN, moves, reply)) << go << ": " << reply;
  }
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
  EXPECT_EQ(engine.lines.back(), "bye");
  EXPECT_EQ(countFinalLines(engine.lines), 7);
  // Every score shown lies within the mate range.
  for (const std::string& l : engine.lines) {
    const size_t at = l.find(" score ");
    if (at == std::string::npos) continue;
    const int score = std::stoi(l.substr(at + 7));
    EXPECT_LE(std::abs(score), MATE) << l;
  }
}

TEST(SearchSession, StopEndsAnInfiniteSearchAtOnce) {
  LiveEngine engine;
  handshakeWithoutBook(engine);
  engine.send("position startpos moves h2e2 h9g7");
  engine.send("go infinite");
  // It thinks on well past its first iterations.
  ASSERT_TRUE(startsWith(engine.waitFor("info depth 6"), "info depth 6"));
  EXPECT_EQ(countFinalLines(engine.lines), 0);
  engine.send("stop");
  const std::string reply = engine.waitFor("bestmove", 5000);
  EXPECT_TRUE(legalAfter(START_FEN, "h2e2 h9g7", reply)) << reply;
  // The engine is ready for more, and a stop without a search says nothing.
  engine.send("stop");
  engine.send("isready");
  EXPECT_EQ(engine.waitFor("readyok"), "readyok");
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
  EXPECT_EQ(countFinalLines(engine.lines), 1);
}

TEST(SearchSession, IsreadyIsAnsweredWhileThinking) {
  LiveEngine engine;
  handshakeWithoutBook(engine);
  engine.send("go infinite");
  ASSERT_TRUE(startsWith(engine.waitFor("info depth 5"), "info depth 5"));
  engine.send("isready");
  EXPECT_EQ(engine.waitFor("readyok", 5000), "readyok");
  EXPECT_EQ(countFinalLines(engine.lines), 0);  // still thinking
  engine.send("stop");
  EXPECT_TRUE(legalAfter(START_FEN, "", engine.waitFor("bestmove", 5000)));
}

TEST(SearchSession, QuitWhileThinkingAnswersThenSaysBye) {
  LiveEngine engine;
  handshakeWithoutBook(engine);
  engine.send("go infinite");
  ASSERT_TRUE(startsWith(engine.waitFor("info depth 5"), "info depth 5"));
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
  ASSERT_GE(engine.lines.size(), 2u);
  EXPECT_EQ(engine.lines.back(), "bye");
  EXPECT_TRUE(legalAfter(START_FEN, "", engine.lines[engine.lines.size() - 2]));
}

TEST(SearchSession, EndOfInputWhileThinkingAnswersThenSaysBye) {
  LiveEngine engine;
  handshakeWithoutBook(engine);
  engine.send("go infinite");
  ASSERT_TRUE(startsWith(engine.waitFor("info depth 4"), "info depth 4"));
  engine.closeInput();
  EXPECT_EQ(engine.waitExit(), 0);
  EXPECT_EQ(engine.lines.back(), "bye");
  EXPECT_EQ(countFinalLines(engine.lines), 1);
}

TEST(SearchSession, NoLegalMoveGivesNobestmoveAndNothingStale) {
  LiveEngine engine;
  handshakeWithoutBook(engine);
  engine.send("go depth 3");
  EXPECT_TRUE(startsWith(engine.waitFor("bestmove"), "bestmove"));
  engine.send(std::string("position fen ") + MATED_FEN);
  for (const char* go : {"go depth 3", "go time 5 increment 1", "go"}) {
    engine.lines.clear();
    engine.send(go);
    EXPECT_EQ(engine.waitFor("nobestmove"), "nobestmove") << go;
    engine.send("isready");
    EXPECT_EQ(engine.waitFor("readyok"), "readyok");
    EXPECT_EQ(countFinalLines(engine.lines), 1) << go;
  }
  // A side with moves left but mated whatever it plays still plays one.
  const char* lostFen = "4kab2/4a4/4b4/2n6/9/p3P4/2n6/4B1p2/4r4/2BK5 w";
  for (const char* go : {"go depth 1", "go depth 6", "go time 3 increment 0"}) {
    engine.lines.clear();
    engine.send(std::string("position fen ") + lostFen);
    engine.send(go);
    EXPECT_TRUE(legalAfter(lostFen, "", engine.waitFor("bestmove"))) << go;
    engine.send("isready");
    EXPECT_EQ(engine.waitFor("readyok"), "readyok");
    EXPECT_EQ(countFinalLines(engine.lines), 1) << go;
  }
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
}

TEST(SearchSession, GarbageBetweenGoodCommandsChangesNothing) {
  LiveEngine engine;
  handshakeWithoutBook(engine);
  const char* garbage[] = {"", "   ", "go2", "gox depth 3", "position", "position fen",
                           "position startpos moves zzzz", "setoption name hashsize value 1",
                           "depth 5", "banmoves h2e2", "\x01\x02\x03",
                           "isready now please"};
  for (const char* line : garbage) engine.send(line);
  engine.send("go depth");  // depth 0: nothing searched, no move chosen
  EXPECT_EQ(engine.waitFor("nobestmove"), "nobestmove");
  engine.send("position startpos moves h2e2 zzzz h9g7");  // replay stops at zzzz
  engine.send("go time x increment y");
  EXPECT_TRUE(legalAfter(START_FEN, "h2e2", engine.waitFor("bestmove")));
  engine.send("go opptime 1 oppincrement 0 depth 3");
  EXPECT_TRUE(legalAfter(START_FEN, "h2e2", engine.waitFor("bestmove")));
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
  EXPECT_EQ(countFinalLines(engine.lines), 3);
}

TEST(SearchSession, TimedSearchAfterADepthSearchWatchesTheClockAgain) {
  LiveEngine engine;
  handshakeWithoutBook(engine);
  engine.send("go depth 3");
  EXPECT_TRUE(startsWith(engine.waitFor("bestmove"), "bestmove"));
  // One second on the clock: without the clock watched it would search to
  // the option image's depth and take far longer than the test allows.
  engine.send("go time 1");
  EXPECT_TRUE(legalAfter(START_FEN, "", engine.waitFor("bestmove", 10000)));
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
}
