// The opening book: a sorted table of position records read whole from
// OpenBook.dat, each listing up to 17 moves of which one is drawn at random.
#pragma once

#include "types.h"

struct Board;

constexpr int BOOK_TABLE_BITS = 15;
constexpr int BOOK_MAX_MOVES = 17;

// File layout: a 24-byte header (record count, five spare words), then the
// 80-byte records sorted by key (high word first, as unsigned numbers).
struct BookHeader {
  uint32_t recordCount;
  uint32_t spare[5];
};
struct BookRecord {
  uint32_t keyLow;
  uint32_t keyHigh;
  uint8_t moveCount;
  uint8_t unused;
  Move moves[BOOK_MAX_MOVES];
  uint16_t unused2;
};
static_assert(sizeof(BookHeader) == 24, "book header is 24 bytes");
static_assert(sizeof(BookRecord) == 80, "book records are 80 bytes");

// Allocates 2^bits slots (replacing any earlier table) with zero keys.
void createBookTable(int bits);
void resetBookHeader();
// Reads a book file into the table and remembers its path for reloadBook.
// True when the file could be opened; a missing file leaves the book empty
// without a word. What cannot be used (records beyond the table, records
// with 0 or more than 17 moves, a cut-off tail) is reported on stderr and
// left out; an unsorted file is sorted and records of the same key merged.
bool loadBook(const char* path);
void releaseBookTable();
int bookRecordCount();
// The record in slot index (0 <= index < bookRecordCount()).
const BookRecord& bookRecordAt(int index);

// The front end's book options. setBookPath replaces the book at once by
// the file at path (an empty path empties the book and keeps it empty);
// reloadBook reads the remembered file again. A file that cannot be opened
// is reported on stderr and leaves the book empty. Both return true when a
// file was read.
bool setBookPath(const char* path);
bool reloadBook();

// The random choice: a number in [0, n) with equal chances (0 when n < 1).
// The generator is seeded once, at its first use, from the calendar time,
// the process id and a fine clock, so engines started within the same
// second still choose differently; seedBookRandom replaces that seed.
int drawBookIndex(int n);
void seedBookRandom(uint32_t seed);

bool bookFind(uint32_t keyLow, uint32_t keyHigh, int* index);

// Looks up the current position. Only the record's moves that are legal in
// the position and not banned at the root are candidates; on a hit (at least
// one candidate) one of them is drawn with equal chances, *line is set to
// it, *record receives the record cut down to the candidates, and
// the move is returned. Otherwise *found is false and the null move is
// returned.
Move probeBook(Board& board, PvRecord* line, BookRecord* record, bool* found);
