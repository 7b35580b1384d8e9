// The opening book: damaged files, the probe's draws, the repertoire
// (data/book/*.txt) in the built book, and the engine answering from it.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "book/book.h"
#include "common/engine.h"
#include "common/process.h"
#include "frontend/movetext.h"
#include "movegen/movegen.h"

namespace {

BookRecord record(uint32_t keyHigh, uint32_t keyLow, std::initializer_list<const char*> moves) {
  BookRecord r;
  std::memset(&r, 0, sizeof r);
  r.keyHigh = keyHigh, r.keyLow = keyLow;
  for (const char* m : moves) r.moves[r.moveCount++] = textToMove(m);
  return r;
}

// A book file: a header claiming `declared` records (the real count when
// negative), the records, less `cut` bytes at the end.
std::string bookBytes(const std::vector<BookRecord>& records, long declared = -1, size_t cut = 0) {
  const BookHeader h{static_cast<uint32_t>(declared < 0 ? long(records.size()) : declared), {}};
  std::string bytes(reinterpret_cast<const char*>(&h), sizeof h);
  for (const BookRecord& r : records) bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
  return bytes.substr(0, bytes.size() - cut);
}

// A fresh table of 2^bits slots, loaded from the bytes ("-": no file).
kit::Loaded loadBytes(const std::string& bytes, int bits = BOOK_TABLE_BITS) {
  createBookTable(bits);
  return kit::loadText(bytes, loadBook);
}

uint64_t keyOf(const BookRecord& r) { return (uint64_t(r.keyHigh) << 32) | r.keyLow; }

// What the search relies on: at most `slots` records, sorted and distinct
// keys (as unsigned numbers), 1 to 17 moves each, each found where it lies.
void expectUsableTable(int slots) {
  const int n = bookRecordCount();
  ASSERT_LE(n, slots);
  for (int i = 0; i < n; ++i) {
    const BookRecord& r = bookRecordAt(i);
    ASSERT_TRUE(r.moveCount >= 1 && r.moveCount <= BOOK_MAX_MOVES) << i;
    ASSERT_TRUE(i == 0 || keyOf(bookRecordAt(i - 1)) < keyOf(r)) << i;
    int index = -1;
    ASSERT_TRUE(bookFind(r.keyLow, r.keyHigh, &index) && index == i) << i;
    if (r.keyLow == 0xFFFFFFFF) continue;
    bookFind(r.keyLow + 1, r.keyHigh, &index);  // found there or to be put there
    ASSERT_EQ(index, i + 1) << i;
  }
}

// Keys whose low words straddle the sign bit, a key of all ones.
std::vector<BookRecord> sorted() {
  return {record(1, 5, {"a0a1"}), record(1, 0x7FFFFFFF, {"b0c2"}), record(1, 0x80000000, {"c3c4"}),
          record(2, 0, {"a0a1", "b0c2"}), record(0xFFFFFFFF, 3, {"c3c4"})};
}

TEST(BookFile, DamagedFilesLoadIntoAUsableTable) {
  std::vector<BookRecord> badCounts = sorted(), unsorted = sorted();
  badCounts[1].moveCount = 0, badCounts[3].moveCount = BOOK_MAX_MOVES + 1, badCounts[4].moveCount = 255;
  std::swap(unsorted[0], unsorted[4]), std::swap(unsorted[1], unsorted[2]);
  unsorted.push_back(record(2, 0, {"b0c2", "c3c4"}));  // the key of an earlier record, twice more:
  unsorted.push_back(record(2, 0, {}));  // a full record, its moves beyond what the merged one holds
  for (int i = 0; i < BOOK_MAX_MOVES; ++i) unsorted.back().moves[unsorted.back().moveCount++] = moveFromTo(0x40 + i, 0x60);
  const struct { const char* what; std::string bytes; int bits, records; bool loaded, silent; } cases[] = {
      {"sound", bookBytes(sorted()), BOOK_TABLE_BITS, 5, true, true},
      {"missing", "-", BOOK_TABLE_BITS, 0, false, true},  // "-": no file at all
      {"empty", "", BOOK_TABLE_BITS, 0, true, false},
      {"header only", bookBytes(sorted()).substr(0, 24), BOOK_TABLE_BITS, 0, true, false},
      {"last record cut", bookBytes(sorted(), -1, 1), BOOK_TABLE_BITS, 4, true, false},
      {"count too large", bookBytes(sorted(), 1000), BOOK_TABLE_BITS, 5, true, false},
      {"more than the table holds", bookBytes(sorted()), 2, 4, true, false},
      {"0, 18 and 255 moves", bookBytes(badCounts), BOOK_TABLE_BITS, 2, true, false},
      {"unsorted, a key twice", bookBytes(unsorted), BOOK_TABLE_BITS, 5, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const kit::Loaded r = loadBytes(c.bytes, c.bits);
    EXPECT_TRUE(r.messages.empty() == c.silent && r.ok == c.loaded && bookRecordCount() == c.records)
        << bookRecordCount() << " records; " << r.messages;
    expectUsableTable(1 << c.bits);
  }
  int index = 0;  // the repeated key's moves were merged into the first record
  ASSERT_TRUE(bookFind(0, 2, &index));
  const BookRecord& merged = bookRecordAt(index);
  EXPECT_TRUE(merged.moveCount == BOOK_MAX_MOVES && sameMove(merged.moves[2], textToMove("c3c4")));

  std::mt19937 rng(99);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(rng() % 2000, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    const uint32_t count = rng() % 40;  // now and then a plausible count
    if (bytes.size() >= 4 && round % 2 == 0) std::memcpy(&bytes[0], &count, 4);
    (void)loadBytes(bytes, 3);
    expectUsableTable(8);
  }
}

struct BookProbe : testing::Test {
  void TearDown() override { bannedMoveCount = 0; }
  // A book of one record for the board's position.
  void bookFor(const Board& b, std::initializer_list<const char*> moves) {
    const ZobristKey key = b.currentPly->zobrist;
    ASSERT_TRUE(loadBytes(bookBytes({record(keyHigh(key), keyLow(key), moves)})).ok);
  }
  std::string probe(Board& b) {  // "" for a miss
    BookRecord out;
    PvRecord line{};
    bool found = false;
    const Move m = probeBook(b, &line, &out, &found);
    EXPECT_EQ(found, !isNullMove(m));
    if (!found) return "";
    EXPECT_TRUE(line.count == 1 && sameMove(line.moves[0], m));
    return kit::moveText(m);
  }
};

TEST_F(BookProbe, OnlyLegalUnbannedMovesAreDrawnAndEachEvenly) {
  auto b = kit::boardFromFen(START_FEN);
  createBookTable(BOOK_TABLE_BITS);
  EXPECT_EQ(probe(*b), "") << "an empty book";
  // The rook cannot pass its pawn, h9g7 is black's, the king may not leave
  // its palace, e3e3 goes nowhere.
  bookFor(*b, {"a0a5", "h2e2", "h9g7", "b0c2", "e0e2", "c3c4", "e3e3"});
  seedBookRandom(7);
  std::map<std::string, int> counts;
  for (int i = 0; i < 3000; ++i) {
    const std::string m = probe(*b);
    ASSERT_TRUE(kit::isLegal(*b, m)) << m;
    ++counts[m];
  }
  EXPECT_EQ(counts.size(), 3u);
  for (const auto& c : counts) EXPECT_TRUE(c.second > 800 && c.second < 1200) << c.first;
  EXPECT_EQ(b->height(), 0) << "probing leaves the position as it was";

  // The elephant may not cross the river; the rook on e1 shields its king.
  b = kit::boardFromFen("4k4/4r4/9/9/9/6B2/9/9/4R4/4K4 w");
  bookFor(*b, {"g4e6", "e1a1"});
  EXPECT_EQ(probe(*b), "");
  bookFor(*b, {"g4i6", "e1e2"});
  for (int i = 0; i < 20; ++i) EXPECT_EQ(probe(*b), "e1e2");

  // The key is the current position's, history and all.
  b = kit::boardFromFen(START_FEN);
  ASSERT_TRUE(kit::play(*b, "h2e2") && kit::play(*b, "h9g7"));
  bookFor(*b, {"h0g2"});
  EXPECT_EQ(probe(*b), "h0g2");
  b->makeMove(textToMove("h0g2"));
  EXPECT_EQ(probe(*b), "");

  // Banned moves are never chosen.
  b = kit::boardFromFen(START_FEN);
  bookFor(*b, {"h2e2", "b2e2"});
  bannedMoves[0] = textToMove("h2e2"), bannedMoveCount = 1;
  for (int i = 0; i < 20; ++i) EXPECT_EQ(probe(*b), "b2e2");
  bannedMoves[1] = textToMove("b2e2"), bannedMoveCount = 2;
  EXPECT_EQ(probe(*b), "");
}

// The record of the board's position, as move texts in record order.
std::vector<std::string> bookMoves(const Board& b) {
  const ZobristKey key = b.currentPly->zobrist;
  int index = 0;
  std::vector<std::string> moves;
  if (!bookFind(keyLow(key), keyHigh(key), &index)) return moves;
  for (int i = 0; i < bookRecordAt(index).moveCount; ++i)
    moves.push_back(kit::moveText(bookRecordAt(index).moves[i]));
  return moves;
}

// Every line of data/book/*.txt and its mirror is legal and in the built book.
// Fresh engines at the start show the book's moves as "info depth 0" lines,
// play one of them, and not always the same one.
TEST(Repertoire, EveryLineIsInTheBookAndEnginesStartFromItWithVariety) {
  const kit::Loaded r = loadBytes(kit::readFile(TOLVANE_BUILD_DIR "/OpenBook.dat"));
  ASSERT_TRUE(r.ok && r.messages.empty()) << r.messages;
  auto board = kit::newBoard();
  int lines = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TOLVANE_DATA_DIR "/book")) {
    if (entry.path().extension() != ".txt") continue;
    std::ifstream in(entry.path());
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
      std::istringstream words(text.substr(0, text.find('#')));
      std::vector<std::string> line{std::istream_iterator<std::string>(words), {}};
      if (line.empty()) continue;
      ++lines;
      for (bool mirror : {false, true}) {
        SCOPED_TRACE(entry.path().string() + ":" + std::to_string(number) + (mirror ? " (mirror)" : ""));
        ASSERT_EQ(board->setFen(START_FEN), FenStatus::Ok);
        for (std::string m : line) {
          if (mirror) m[0] = char('a' + 'i' - m[0]), m[2] = char('a' + 'i' - m[2]);
          const std::vector<std::string> known = bookMoves(*board);
          EXPECT_NE(std::find(known.begin(), known.end(), m), known.end()) << m;
          ASSERT_TRUE(kit::play(*board, m)) << m;
        }
      }
    }
  }
  EXPECT_GE(lines, 50);
  const std::vector<std::string> book = bookMoves(*kit::boardFromFen(START_FEN));
  releaseBookTable();
  std::vector<std::unique_ptr<kit::Engine>> engines;
  for (int i = 0; i < 6; ++i) {
    engines.emplace_back(new kit::Engine);
    engines.back()->send("ucci\nposition startpos\ngo depth 1\nquit");
  }
  std::set<std::string> played;
  for (auto& engine : engines) {
    const std::string best = engine->waitFor("bestmove");
    std::vector<std::string> shown;
    for (const std::string& line : engine->lines)
      if (line.rfind("info depth 0 ", 0) == 0) shown.push_back(line.substr(line.size() - 4));
    EXPECT_EQ(shown, book);
    EXPECT_NE(std::find(book.begin(), book.end(), best.substr(9, 4)), book.end()) << best;
    played.insert(best);
    EXPECT_EQ(engine->waitExit(), 0);
  }
  EXPECT_GE(played.size(), 2u) << "with n book moves, six starts are all alike once in n^5 runs";
}

}  // namespace
