// The repertoire and the book built from it: every line and its mirror is
// legal from the start position, and the book knows every position of every
// line before its last move, with the line's move among its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/tables.h"
#include "book/book.h"
#include "common/engine_tables.h"
#include "frontend/movetext.h"
#include "movegen/movegen.h"

namespace {

struct Line {
  std::string where;
  std::vector<std::string> moves;
};

std::vector<Line> repertoire() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(TOLVANE_DATA_DIR "/book"))
    if (entry.path().extension() == ".txt") files.push_back(entry.path().string());
  std::vector<Line> lines;
  for (const std::string& file : files) {
    std::ifstream in(file);
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
      std::istringstream words(text.substr(0, text.find('#')));
      Line line{file + ":" + std::to_string(number), {}};
      for (std::string w; words >> w;) line.moves.push_back(w);
      if (line.moves.empty()) continue;
      lines.push_back(line);
      for (std::string& m : line.moves) {
        m[0] = static_cast<char>('a' + 'i' - m[0]);
        m[2] = static_cast<char>('a' + 'i' - m[2]);
      }
      line.where += " (mirror)";
      lines.push_back(line);
    }
  }
  return lines;
}

bool bookHas(const Board& b, Move m) {
  int index = 0;
  const ZobristKey key = b.currentPly->zobrist;
  if (!bookFind(keyLow(key), keyHigh(key), &index)) return false;
  const BookRecord& r = bookRecordAt(index);
  for (int i = 0; i < r.moveCount; ++i)
    if (sameMove(r.moves[i], m)) return true;
  return false;
}

TEST(Repertoire, EveryLineIsLegalAndEveryPositionInTheBook) {
  const std::vector<Line> lines = repertoire();
  ASSERT_GE(lines.size(), 100u);
  createBookTable(BOOK_TABLE_BITS);
  resetBookHeader();
  testing::internal::CaptureStderr();
  ASSERT_TRUE(loadBook(TOLVANE_BUILD_DIR "/OpenBook.dat"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_GE(bookRecordCount(), 1500);

  auto board = enginetest::newBoard();
  for (const Line& line : lines) {
    SCOPED_TRACE(line.where);
    EXPECT_GE(line.moves.size(), 8u);
    EXPECT_LE(line.moves.size(), 16u);
    ASSERT_EQ(board->setFen(START_FEN), FenStatus::Ok);
    for (const std::string& text : line.moves) {
      const Move m = textToMove(text.c_str());
      ASSERT_TRUE(InBoard[m.from] && InBoard[m.to]) << text;
      ASSERT_TRUE(isPseudoLegal(*board, board->sideToMove, m)) << text;
      ASSERT_TRUE(squareAllowedFor(board->squares[m.from], m.to)) << text;
      EXPECT_TRUE(bookHas(*board, m)) << text;
      ASSERT_FALSE(board->makeMove(m)) << text;
    }
  }
  releaseBookTable();
}

}  // namespace
