// The book table: the records of OpenBook.dat, checked and sorted on load,
// and the binary search over them.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "book/book.h"

namespace {

BookRecord* table = nullptr;
int tableSize = 0;
BookHeader header = {0, {0, 0, 0, 0, 0}};
std::string bookPath;

uint64_t recordKey(const BookRecord& r) {
  return (static_cast<uint64_t>(r.keyHigh) << 32) | r.keyLow;
}

bool keyLess(const BookRecord& a, const BookRecord& b) { return recordKey(a) < recordKey(b); }

// Adds the moves of `from` that `into` lacks, as long as there is room.
void mergeMoves(BookRecord* into, const BookRecord& from) {
  for (int i = 0; i < from.moveCount && into->moveCount < BOOK_MAX_MOVES; ++i) {
    bool known = false;
    for (int j = 0; j < into->moveCount; ++j) known |= sameMove(into->moves[j], from.moves[i]);
    if (!known) into->moves[into->moveCount++] = from.moves[i];
  }
}

// Sorts slots 0..n-1 by key (file order kept among equal keys) and folds
// records of the same key into the first of them. Returns the new count.
int sortAndMerge(const char* path, int n) {
  if (!std::is_sorted(table, table + n, keyLess)) {
    std::fprintf(stderr, "book: %s is not sorted by key; sorted on load\n", path);
    std::stable_sort(table, table + n, keyLess);
  }
  int kept = 0, merged = 0;
  for (int i = 0; i < n; ++i) {
    if (kept > 0 && recordKey(table[kept - 1]) == recordKey(table[i])) {
      mergeMoves(&table[kept - 1], table[i]);
      ++merged;
    } else {
      table[kept++] = table[i];
    }
  }
  if (merged > 0)
    std::fprintf(stderr, "book: %s: %d records repeat an earlier key; their moves merged\n",
                 path, merged);
  for (int i = kept; i < n; ++i) table[i].keyLow = table[i].keyHigh = 0;
  return kept;
}

// Reads the declared records one by one: only whole records with 1 to 17
// moves enter the table, and never more than it holds.
int readRecords(std::FILE* file, const char* path, uint32_t declared) {
  uint32_t wanted = declared;
  if (declared > static_cast<uint32_t>(tableSize)) {
    std::fprintf(stderr, "book: %s declares %u records, the table holds %d; the rest is left out\n",
                 path, declared, tableSize);
    wanted = static_cast<uint32_t>(tableSize);
  }
  int n = 0, dropped = 0;
  uint32_t read = 0;
  BookRecord record;
  for (; read < wanted; ++read) {
    if (std::fread(&record, sizeof record, 1, file) != 1) break;
    if (record.moveCount == 0 || record.moveCount > BOOK_MAX_MOVES) {
      ++dropped;
      continue;
    }
    // Unused move slots are never read; keep them zero all the same.
    for (int i = record.moveCount; i < BOOK_MAX_MOVES; ++i) record.moves[i] = NULL_MOVE;
    table[n++] = record;
  }
  if (read < wanted)
    std::fprintf(stderr, "book: %s ends after %u of its %u records\n", path, read, declared);
  if (dropped > 0)
    std::fprintf(stderr, "book: %s: %d records with 0 or more than %d moves left out\n", path,
                 dropped, BOOK_MAX_MOVES);
  return n;
}

}  // namespace

void createBookTable(int bits) {
  releaseBookTable();
  tableSize = 1 << bits;
  table = new BookRecord[tableSize];
  std::memset(table, 0, sizeof(BookRecord) * tableSize);
  header.recordCount = 0;
}

void resetBookHeader() { header.recordCount = 0; }

bool loadBook(const char* path) {
  bookPath = path;
  header.recordCount = 0;
  if (table == nullptr) return false;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  BookHeader fileHeader;
  if (std::fread(&fileHeader, sizeof fileHeader, 1, file) != 1) {
    std::fprintf(stderr, "book: %s is shorter than its header\n", path);
    std::fclose(file);
    return true;
  }
  header = fileHeader;
  const int n = readRecords(file, path, fileHeader.recordCount);
  std::fclose(file);
  header.recordCount = static_cast<uint32_t>(sortAndMerge(path, n));
  return true;
}

void releaseBookTable() {
  delete[] table;
  table = nullptr;
  tableSize = 0;
  header.recordCount = 0;
}

int bookRecordCount() { return static_cast<int>(header.recordCount); }

const BookRecord& bookRecordAt(int index) { return table[index]; }

bool setBookPath(const char* path) {
  bookPath = path;
  return reloadBook();
}

bool reloadBook() {
  header.recordCount = 0;
  if (bookPath.empty()) return false;
  const std::string path = bookPath;
  if (loadBook(path.c_str())) return true;
  std::fprintf(stderr, "book: cannot open %s; the book is empty\n", path.c_str());
  return false;
}

bool bookFind(uint32_t keyLow, uint32_t keyHigh, int* index) {
  const int n = bookRecordCount();
  const uint64_t key = (static_cast<uint64_t>(keyHigh) << 32) | keyLow;
  int lo = 0, hi = n - 1;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    const uint64_t slot = recordKey(table[mid]);
    if (slot < key) {
      lo = mid + 1;
    } else if (slot > key) {
      hi = mid - 1;
    } else {
      *index = mid;
      return true;
    }
  }
  *index = lo;
  return false;
}
