#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/board.h"
#include "frontend/gocommand.h"
#include "frontend/movetext.h"
#include "frontend/output.h"

namespace {

std::string text(Move m) {
  char out[5];
  moveToText(m, out);
  return out;
}

}  // namespace

TEST(MoveText, CornersAndCentreMapToTheirSquares) {
  const Move corner = textToMove("a0i9");
  EXPECT_EQ(corner.from, 195);
  EXPECT_EQ(corner.to, 59);
  EXPECT_EQ(text(corner), "a0i9");
  const Move cannon = textToMove("h2e2");
  EXPECT_EQ(cannon.from, 170);
  EXPECT_EQ(cannon.to, 167);
  EXPECT_EQ(text(cannon), "h2e2");
  // Every square prints back as it was read.
  for (char f = 'a'; f <= 'i'; ++f)
    for (char r = '0'; r <= '9'; ++r) {
      const char in[5] = {f, r, f == 'a' ? 'b' : 'a', r, '\0'};
      EXPECT_EQ(text(textToMove(in)), std::string(in));
    }
}

TEST(MoveText, AnythingButTwoDifferentBoardSquaresIsTheNullMove) {
  for (const char* bad : {"a0a0", "j0a1", "a0j1", "A0a1", "a:a1", "a0a", "a0", "", "NONO", "h2e-"})
    EXPECT_TRUE(isNullMove(textToMove(bad))) << bad;
  EXPECT_EQ(text(NULL_MOVE), "NONO");
  // Only four characters are read.
  EXPECT_EQ(text(textToMove("h2e2xyz")), "h2e2");
}

TEST(MoveText, InfoLineShowsThePlyZeroLine) {
  static Board board;
  board.pvLines[0].count = 0;
  startCapture();
  printInfoLine(board, 3, -7);
  board.pvLines[0].count = 3;
  board.pvLines[0].moves[0] = textToMove("h2e2");
  board.pvLines[0].moves[1] = textToMove("h9g7");
  board.pvLines[0].moves[2] = textToMove("h0g2");
  printInfoLine(board, 5, 12);
  const auto lines = stopCapture();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "info depth 3 score -7 pv");
  EXPECT_EQ(lines[1], "info depth 5 score 12 pv h2e2 h9g7 h0g2");
}

TEST(MoveText, PvTextCarriesTheRootIndexAfterTheFirstMoveOnly) {
  PvRecord pv{};
  char out[PV_TEXT_SIZE];
  formatPvText(out, pv);
  EXPECT_STREQ(out, "");
  pv.count = 3;
  pv.rootIndex = 4;
  pv.moves[0] = textToMove("h2e2");
  pv.moves[1] = textToMove("h9g7");
  pv.moves[2] = textToMove("h0g2");
  formatPvText(out, pv);
  EXPECT_STREQ(out, "h2e2(4) h9g7 h0g2 ");
  // A full line fits the buffer.
  pv.count = MAX_PLY;
  pv.rootIndex = -32768;
  for (int i = 0; i < MAX_PLY; ++i) pv.moves[i] = textToMove("a0a1");
  formatPvText(out, pv);
  EXPECT_EQ(std::strlen(out), 4u + 9u + (MAX_PLY - 1) * 5u);
}

TEST(BestMove, PonderPartOnlyWithASecondMove) {
  PvRecord pv{};
  startCapture();
  sendBestMove(pv);
  pv.count = 1;
  pv.moves[0] = textToMove("b2e2");
  sendBestMove(pv);
  pv.count = 2;
  pv.moves[1] = textToMove("b9c7");
  sendBestMove(pv);
  const auto lines = stopCapture();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "nobestmove");
  EXPECT_EQ(lines[1], "bestmove b2e2");
  EXPECT_EQ(lines[2], "bestmove b2e2 ponder b9c7");
}

TEST(Output, LongLinesAreSentWhole) {
  const std::string longText(10000, 'x');
  startCapture();
  sendLine("info %s", longText.c_str());
  const auto lines = stopCapture();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "info " + longText);
}
