// Small book files written by the tests: records with chosen keys and moves,
// a header that may claim any count, and a tail that may be cut off.
#pragma once

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "book/book.h"
#include "frontend/engine_process.h"

namespace booktest {

inline BookRecord record(uint32_t keyHigh, uint32_t keyLow, std::initializer_list<Move> moves) {
  BookRecord r;
  std::memset(&r, 0, sizeof r);
  r.keyHigh = keyHigh;
  r.keyLow = keyLow;
  for (Move m : moves) r.moves[r.moveCount++] = m;
  return r;
}

// The bytes of a book file: header claiming `declared` records (the real
// count when negative), the records, less `cut` bytes at the end.
inline std::string bookBytes(const std::vector<BookRecord>& records, long declared = -1,
                             size_t cut = 0) {
  BookHeader h;
  std::memset(&h, 0, sizeof h);
  h.recordCount = static_cast<uint32_t>(declared < 0 ? static_cast<long>(records.size()) : declared);
  std::string bytes(reinterpret_cast<const char*>(&h), sizeof h);
  for (const BookRecord& r : records) bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
  bytes.resize(bytes.size() - cut);
  return bytes;
}

// A fresh table of 2^bits slots holding the given file; the file lives in a
// temp directory that the caller keeps.
inline bool loadBytes(const TempDir& dir, const std::string& bytes, int bits = BOOK_TABLE_BITS) {
  createBookTable(bits);
  resetBookHeader();
  dir.write("book.dat", bytes);
  return loadBook((dir.path + "/book.dat").c_str());
}

}  // namespace booktest
