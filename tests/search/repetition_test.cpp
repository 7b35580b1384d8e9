// Repetition through "position ... moves": a side that checks at every move
// of the cycle loses. The engine avoids such a perpetual check of its own
// and claims one its opponent runs into; and a null move ends the walk.
#include <gtest/gtest.h>

#include "common/engine.h"
#include "common/process.h"
#include "frontend/position.h"
#include "search/search.h"

namespace {

struct Cycle {
  const char* what;
  const char* position;
  const char* repeat;  // the move back into the cycle's first position
  bool claims;         // the engine should play it (else never)
};

// Black is a rook, a horse and a cannon up; the red rook checks the black
// king between d9 and d8, twice round, and one more move repeats the start.
// Both were confirmed with fairy-stockfish 1.1.12 (UCI_Variant xiangqi, depth
// 14, two cycles as here): the repeating move is scored mated in 1 for the
// checker and mate in 1 for the side checked, the best other move -6.7 and
// +11 pawns. Our engine at depths 2..10 avoids and claims; with the perpetual
// rule taken out of its scoring it plays i8i9 in the first and g7i8 in the
// second, as it does in the second without the game's history.
const Cycle CYCLES[] = {
    {"red, to move, would check a fourth time",
     "position fen 3k4R/9/9/9/rr2n1c2/9/9/9/9/2BAKAB2 b moves d9d8 i9i8 d8d9 i8i9 d9d8 i9i8 d8d9",
     "i8i9", false},
    {"black, in check, steps back: red has checked four times",
     "position fen 3k5/8R/6n2/9/rr4c2/9/9/9/9/2BAKAB2 w moves i8i9 d9d8 i9i8 d8d9 i8i9 d9d8 i9i8",
     "d8d9", true},
    {"the same position without its history: take the rook",
     "position fen 9/3k4R/6n2/9/rr4c2/9/9/9/9/2BAKAB2 b", "d8d9", false},
};

TEST(Repetition, PerpetualCheckLosesForTheCheckingSide) {
  kit::Engine engine;
  ASSERT_TRUE(engine.handshake());
  for (const Cycle& c : CYCLES) {
    SCOPED_TRACE(c.what);
    engine.clearLines();
    engine.send(c.position);
    engine.send("go depth 6");
    const std::string best = engine.waitFor("bestmove");
    ASSERT_EQ(best.rfind("bestmove ", 0), 0u) << best;
    const std::string move = best.substr(9, 4);
    int score = 0;  // the last one shown
    for (const std::string& line : engine.lines)
      if (line.find(" score ") != std::string::npos) score = std::stoi(line.substr(line.find(" score ") + 7));
    EXPECT_EQ(move == c.repeat, c.claims) << best;
    EXPECT_EQ(score >= MATE_BOUND, c.claims) << score;
    EXPECT_GT(score, -MATE_BOUND) << "a move that neither loses nor is mated exists";
    // The move is legal after the same moves on our own board.
    auto board = kit::newBoard();
    ASSERT_TRUE(servePosition(*board, c.position, false));
    EXPECT_TRUE(kit::isLegal(*board, move)) << move;
  }
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
}

// The king walks d9-e9-d9 across two null moves: the position repeats, but
// a cycle through a null move is no repetition.
TEST(Repetition, TheWalkStopsAtANullMove) {
  auto b = kit::boardFromFen("3k5/8R/9/9/9/9/9/9/9/5K3 w");
  b->makeNullMove();
  ASSERT_FALSE(b->makeMove(moveFromTo(0x36, 0x37)));
  b->makeNullMove();
  ASSERT_FALSE(b->makeMove(moveFromTo(0x37, 0x36)));
  ASSERT_EQ(b->currentPly->zobrist, b->plyBase->zobrist);
  int score = 0;
  Move move;
  EXPECT_EQ(checkRepetition(*b, 4, &score, &move), REP_NONE);
}

}  // namespace
