// The built engine answers from its book through a real pipe: one info line
// per book move, a book move played, and varied first moves across starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "book/book.h"
#include "common/engine_tables.h"
#include "frontend/live_engine.h"
#include "frontend/movetext.h"

namespace {

// The moves of the built book's start-position record, in record order.
std::vector<std::string> startBookMoves() {
  createBookTable(BOOK_TABLE_BITS);
  resetBookHeader();
  EXPECT_TRUE(loadBook(TOLVANE_BUILD_DIR "/OpenBook.dat"));
  auto board = enginetest::boardFromFen(START_FEN);
  const ZobristKey key = board->currentPly->zobrist;
  int index = 0;
  std::vector<std::string> moves;
  if (bookFind(keyLow(key), keyHigh(key), &index)) {
    const BookRecord& r = bookRecordAt(index);
    for (int i = 0; i < r.moveCount; ++i) {
      char text[5];
      moveToText(r.moves[i], text);
      moves.push_back(text);
    }
  }
  releaseBookTable();
  return moves;
}

std::string wordAt(const std::string& line, int n) {
  std::istringstream words(line);
  std::string w;
  for (int i = 0; i <= n; ++i) words >> w;
  return w;
}

// Runs one go from the start position after the given extra commands; the
// "info depth 0" lines and the bestmove line.
std::string goFromStart(const std::vector<std::string>& setup, std::vector<std::string>* bookLines) {
  LiveEngine engine;
  engine.send("ucci");
  EXPECT_EQ(engine.waitFor("ucciok"), "ucciok");
  engine.send("position startpos");
  for (const std::string& line : setup) engine.send(line);
  engine.lines.clear();
  engine.send("go time 60 increment 1");
  const std::string best = engine.waitFor("bestmove");
  for (const std::string& l : engine.lines)
    if (startsWith(l, "info depth ")) bookLines->push_back(l);
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
  return best;
}

TEST(BookProtocol, StartPositionIsAnsweredFromTheBook) {
  const std::vector<std::string> book = startBookMoves();
  ASSERT_GE(book.size(), 3u);
  std::vector<std::string> info;
  const std::string best = goFromStart({}, &info);
  ASSERT_EQ(info.size(), book.size()) << "one line per book move and no search";
  for (size_t i = 0; i < book.size(); ++i) {
    EXPECT_EQ(wordAt(info[i], 2), "0") << info[i];
    EXPECT_EQ(wordAt(info[i], 3), "score");
    EXPECT_GT(std::stoi(wordAt(info[i], 4)), 0);
    EXPECT_EQ(wordAt(info[i], 5), "pv");
    EXPECT_EQ(wordAt(info[i], 6), book[i]);
  }
  const std::string move = wordAt(best, 1);
  EXPECT_NE(std::find(book.begin(), book.end(), move), book.end()) << best;
}

TEST(BookProtocol, FreshStartsPlayDifferentFirstMoves) {
  std::set<std::string> first;
  for (int i = 0; i < 20; ++i) {
    std::vector<std::string> info;
    first.insert(wordAt(goFromStart({}, &info), 1));
  }
  EXPECT_GE(first.size(), 3u);
}

TEST(BookProtocol, BannedBookMovesAreNotPlayed) {
  const std::vector<std::string> book = startBookMoves();
  ASSERT_GE(book.size(), 2u);
  std::string ban = "banmoves";
  for (size_t i = 1; i < book.size(); ++i) ban += " " + book[i];
  for (int round = 0; round < 3; ++round) {
    std::vector<std::string> info;
    EXPECT_EQ(wordAt(goFromStart({ban}, &info), 1), book[0]);
    EXPECT_EQ(info.size(), 1u);
  }
}

}  // namespace
