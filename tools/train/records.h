// Training records of the learned evaluation (TVND files): written by
// `gendata netdata` and `gendata netprep`, read by the trainer. A 16-byte
// header ("TVND", version, record size, 0) and 36-byte records, laid out
// as data/README.md describes; all numbers little-endian.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace net {

constexpr int SQUARES = 90;
constexpr int MAX_PIECES = 32;
constexpr int PIECE_TYPES = 7;
constexpr int RED_PIECE = 7;  // a red piece's code is its type + 7
constexpr int HEADER_BYTES = 16;
constexpr int RECORD_BYTES = 36;
constexpr uint32_t DATA_VERSION = 1;
// Results for red, as stored.
constexpr int RESULT_LOST = 0, RESULT_DRAWN = 1, RESULT_WON = 2;
// Bytes of a record that name the position (board and side to move).
constexpr int POSITION_BYTES = 29;

struct Record {
  uint8_t bytes[RECORD_BYTES];
};

// A record unpacked. Squares are numbered 0..89 from black's back rank
// (red's back rank is 81..89); pieces are listed in rising square order.
struct Position {
  int count = 0;
  uint8_t square[MAX_PIECES];
  uint8_t piece[MAX_PIECES];  // type (king 0 .. pawn 6), + 7 for red
  int side = 1;               // to move: 0 black, 1 red
  int result = RESULT_DRAWN;  // red's
  int score = 0;              // the search's, side to move's view
  int ply = 0;
};

// The pieces may come in any order; each square at most once.
void packRecord(const Position& p, Record* r);
// False for a record no writer makes: more than 32 pieces, a piece code
// above 13, side or result out of range, bits past square 89 or the spare
// bytes set.
bool unpackRecord(const Record& r, Position* p);

// Whole files. readRecords appends the records of a file and refuses
// (with the reason in *error) a missing file, a wrong header, or a length
// that is not a whole number of records; records are not checked here.
bool readRecords(const char* path, std::vector<Record>* out, std::string* error);
bool writeRecords(const char* path, const std::vector<Record>& records);
// Keeps the records that unpack; returns how many were dropped.
size_t keepGoodRecords(std::vector<Record>* records);
// Header and records of a file being written record by record.
bool writeHeader(std::FILE* out);
// How many records a file holds (-1: not a TVND file or not whole).
long countRecords(const char* path);

// netprep: the records of the files with every position (board and side)
// kept once, then shuffled with the seed. Returns false when a file is
// refused (named on stderr) or the output cannot be written.
bool prepareRecords(const char* out, const std::vector<const char*>& inputs, uint64_t seed);

}  // namespace net
