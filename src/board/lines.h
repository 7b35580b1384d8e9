// Precomputed line tables: for a piece at a position on a rank or file and
// the occupancy pattern of that line, how far it slides each way and where
// the first, second and third pieces stand. Built once at start-up.
#pragma once

#include "types.h"

// Bit of a playing square in its rank's pattern (1 << (file - 3)) and in its
// file's pattern (1 << (rank - 3)); 0 off the board.
extern uint16_t RowMask[256];
extern uint16_t ColMask[256];

// Positions are frame files (3..11) in row entries and frame ranks * 16
// (0x30..0xC0) in column entries; a field equal to the piece's own position
// means "none that way". High is towards larger files / ranks.
struct LineEntry {
  uint8_t lastEmptyHigh;
  uint8_t lastEmptyLow;
  uint8_t firstHigh;
  uint8_t firstLow;
  int16_t emptySpan;
  uint8_t secondHigh;
  uint8_t secondLow;
  int16_t span;
  uint8_t thirdHigh;
  uint8_t thirdLow;
};

// Masks in line bits (bit i = position i + 3).
struct LineMaskEntry {
  uint16_t emptyMask;
  uint16_t firstMask;
  uint16_t secondMask;
  uint16_t thirdMask;
};

// Indexed [frame file][bitRows of the rank] and [frame rank][bitCols of the
// file], so RowLines[fileOf(sq)][bitRows[rankOf(sq)]] needs no adjustment.
extern LineEntry RowLines[16][512];
extern LineMaskEntry RowLineMasks[16][512];
extern LineEntry ColLines[16][1024];
extern LineMaskEntry ColLineMasks[16][1024];

void buildLineTables();
