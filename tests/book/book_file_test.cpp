// The book file and its table: the binary search at its edges, and every
// kind of damaged file loaded without a crash, keeping only usable records.
#include <gtest/gtest.h>

#include <random>

#include "book/bookfiles.h"

namespace {

using booktest::bookBytes;
using booktest::loadBytes;
using booktest::record;

const Move A = moveFromTo(0xC3, 0xA3, 5);
const Move B = moveFromTo(0xC4, 0xA5, 2);
const Move C = moveFromTo(0xB4, 0xB7, 1);

std::vector<BookRecord> sortedRecords() {
  return {record(1, 5, {A}), record(1, 0x7FFFFFFF, {B}), record(1, 0x80000000, {C}),
          record(2, 0, {A, B}), record(0xFFFFFFFF, 3, {C})};
}

int findIndex(uint32_t high, uint32_t low, bool* hit) {
  int index = -1;
  *hit = bookFind(low, high, &index);
  return index;
}

TEST(BookFind, EmptyBookMissesAtZero) {
  createBookTable(BOOK_TABLE_BITS);
  resetBookHeader();
  bool hit = true;
  EXPECT_EQ(findIndex(0, 0, &hit), 0);
  EXPECT_FALSE(hit);
  TempDir dir;
  EXPECT_FALSE(loadBook((dir.path + "/none.dat").c_str()));
  EXPECT_EQ(bookRecordCount(), 0);
  EXPECT_EQ(findIndex(1, 5, &hit), 0);
  EXPECT_FALSE(hit);
}

TEST(BookFind, HitsEveryRecordAndGivesInsertionPoints) {
  TempDir dir;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(loadBytes(dir, bookBytes(sortedRecords())));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "a sound book loads in silence";
  ASSERT_EQ(bookRecordCount(), 5);
  bool hit = false;
  // First and last, and the low word compared as an unsigned number.
  EXPECT_EQ(findIndex(1, 5, &hit), 0);
  EXPECT_TRUE(hit);
  EXPECT_EQ(findIndex(0xFFFFFFFF, 3, &hit), 4);
  EXPECT_TRUE(hit);
  EXPECT_EQ(findIndex(1, 0x7FFFFFFF, &hit), 1);
  EXPECT_TRUE(hit);
  EXPECT_EQ(findIndex(1, 0x80000000, &hit), 2);
  EXPECT_TRUE(hit);
  // Misses point at the larger neighbour.
  EXPECT_EQ(findIndex(1, 6, &hit), 1);
  EXPECT_FALSE(hit);
  EXPECT_EQ(findIndex(1, 0xFFFFFFFF, &hit), 3);
  EXPECT_FALSE(hit);
  EXPECT_EQ(findIndex(0, 0xFFFFFFFF, &hit), 0);
  EXPECT_FALSE(hit);
  EXPECT_EQ(findIndex(0xFFFFFFFF, 4, &hit), 5);
  EXPECT_FALSE(hit);
}

TEST(BookLoad, KeepsNoMoreRecordsThanTheTableHolds) {
  TempDir dir;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(loadBytes(dir, bookBytes(sortedRecords()), 2));
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(bookRecordCount(), 4);
  EXPECT_EQ(bookRecordAt(3).keyHigh, 2u);
  bool hit = true;
  findIndex(0xFFFFFFFF, 3, &hit);
  EXPECT_FALSE(hit);
}

TEST(BookLoad, DropsRecordsWithNoMovesOrTooMany) {
  std::vector<BookRecord> records = sortedRecords();
  records[1].moveCount = 0;
  records[3].moveCount = BOOK_MAX_MOVES + 1;
  records[4].moveCount = 255;
  TempDir dir;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(loadBytes(dir, bookBytes(records)));
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(bookRecordCount(), 2);
  EXPECT_EQ(bookRecordAt(0).keyLow, 5u);
  EXPECT_EQ(bookRecordAt(1).keyLow, 0x80000000u);
}

TEST(BookLoad, CountsOnlyWholeRecordsOfAShortFile) {
  TempDir dir;
  struct Case {
    long declared;
    size_t cut;
    int expected;
  } cases[] = {{5, 1, 4}, {5, 79, 4}, {5, 80, 4}, {5, 81, 3}, {5, 5 * 80, 0},
               {1000, 0, 5}, {5, 5 * 80 + 1, 0}, {5, 5 * 80 + 24, 0}};
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_TRUE(loadBytes(dir, bookBytes(sortedRecords(), c.declared, c.cut)));
    EXPECT_NE(testing::internal::GetCapturedStderr(), "") << c.cut;
    EXPECT_EQ(bookRecordCount(), c.expected) << "declared " << c.declared << " cut " << c.cut;
  }
}

TEST(BookLoad, SortsAnUnsortedFileAndMergesRepeatedKeys) {
  std::vector<BookRecord> records = sortedRecords();
  std::swap(records[0], records[4]);
  std::swap(records[1], records[2]);
  records.push_back(record(2, 0, {B, C}));  // same key as a record above
  TempDir dir;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(loadBytes(dir, bookBytes(records)));
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
  ASSERT_EQ(bookRecordCount(), 5);
  for (int i = 1; i < 5; ++i) {
    const BookRecord &a = bookRecordAt(i - 1), &b = bookRecordAt(i);
    EXPECT_TRUE(a.keyHigh < b.keyHigh || (a.keyHigh == b.keyHigh && a.keyLow < b.keyLow));
  }
  bool hit = false;
  const BookRecord& merged = bookRecordAt(findIndex(2, 0, &hit));
  ASSERT_TRUE(hit);
  ASSERT_EQ(merged.moveCount, 3);  // the first record's moves, then the new one
  EXPECT_TRUE(sameMove(merged.moves[0], A));
  EXPECT_TRUE(sameMove(merged.moves[1], B));
  EXPECT_TRUE(sameMove(merged.moves[2], C));
}

// Whatever the bytes, the table holds sorted, distinct keys with 1 to 17
// moves each, and no more records than fit.
TEST(BookLoad, RandomBytesNeverBreakTheTable) {
  std::mt19937 rng(99);
  TempDir dir;
  for (int round = 0; round < 300; ++round) {
    std::string bytes(rng() % 2000, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    if (bytes.size() >= 4 && round % 2 == 0) {
      const uint32_t n = rng() % 40;
      std::memcpy(&bytes[0], &n, 4);  // a plausible count now and then
    }
    testing::internal::CaptureStderr();
    loadBytes(dir, bytes, 3);
    testing::internal::GetCapturedStderr();
    const int n = bookRecordCount();
    ASSERT_LE(n, 8);
    for (int i = 0; i < n; ++i) {
      const BookRecord& r = bookRecordAt(i);
      ASSERT_GE(r.moveCount, 1);
      ASSERT_LE(r.moveCount, BOOK_MAX_MOVES);
      bool hit = false;
      ASSERT_EQ(findIndex(r.keyHigh, r.keyLow, &hit), i);
      ASSERT_TRUE(hit);
    }
  }
  releaseBookTable();
  EXPECT_EQ(bookRecordCount(), 0);
}

TEST(BookOptions, PathReplacesReloadsAndEmptiesTheBook) {
  TempDir dir;
  createBookTable(BOOK_TABLE_BITS);
  dir.write("one.dat", bookBytes(sortedRecords()));
  const std::string path = dir.path + "/one.dat";
  EXPECT_TRUE(setBookPath(path.c_str()));
  EXPECT_EQ(bookRecordCount(), 5);
  dir.write("one.dat", bookBytes({record(3, 3, {A})}));
  EXPECT_TRUE(reloadBook());
  EXPECT_EQ(bookRecordCount(), 1);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(setBookPath((dir.path + "/missing.dat").c_str()));
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(bookRecordCount(), 0);
  EXPECT_TRUE(setBookPath(path.c_str()));
  EXPECT_FALSE(setBookPath(""));
  EXPECT_EQ(bookRecordCount(), 0);
  EXPECT_FALSE(reloadBook());
  EXPECT_EQ(bookRecordCount(), 0);
}

}  // namespace
