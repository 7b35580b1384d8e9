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

void createBookTable(int bits);
void resetBookHeader();
// True when the file could be opened; damaged records are reported on
// stderr and left out.
bool loadBook(const char* path);
void releaseBookTable();
int bookRecordCount();

bool bookFind(uint32_t keyLow, uint32_t keyHigh, int* index);

// Looks up the current position. On a hit (a legal move of the position
// not among the banned ones), sets board.pvLines[ply] to the chosen move,
// copies the record and returns the move; otherwise the null move.
Move probeBook(Board& board, int ply, BookRecord* record, bool* found);
