// Shared types and constants of the engine. Every other header depends on
// this one only (plus the standard library).
#pragma once

#include <cstdint>

// ---------------------------------------------------------------- geometry
// A square is rank * 16 + file on a 16x16 frame. The 9x10 playing area is
// ranks 3..12 and files 3..11; rank 3 is black's back rank (the top).
using Square = uint8_t;
constexpr Square NO_SQUARE = 0;
constexpr int RANK_TOP = 3, RANK_BOTTOM = 12;
constexpr int FILE_LEFT = 3, FILE_RIGHT = 11;
constexpr int FILE_CENTRE = 7;

inline int rankOf(int sq) { return sq >> 4; }
inline int fileOf(int sq) { return sq & 15; }
inline int makeSquare(int rank, int file) { return rank * 16 + file; }
// The same square seen from the other side (rank mirrored).
inline int flipRank(int sq) { return sq ^ 0xF0; }

// ------------------------------------------------------------------- sides
constexpr int BLACK = 0;  // top half, lower-case FEN letters
constexpr int RED = 1;    // bottom half, upper-case FEN letters, moves first
inline int otherSide(int s) { return s ^ 1; }

// ----------------------------------------------------------- piece codes
// A square holds a piece index 0..31 (0..15 black, 16..31 red), EMPTY or
// OFF_BOARD; code >> 4 is the side (2 for EMPTY, 3 for OFF_BOARD).
constexpr uint8_t EMPTY = 32;
constexpr uint8_t OFF_BOARD = 48;
inline int sideOfCode(int code) { return code >> 4; }

enum PieceType : int {
  KING = 0, ADVISOR = 1, ELEPHANT = 2, HORSE = 3, ROOK = 4, CANNON = 5, PAWN = 6
};
constexpr int NO_PIECE_TYPE = 14;  // type and kind of EMPTY
constexpr int PIECE_TYPE_COUNT = 7;
constexpr int PIECE_KIND_COUNT = 14;  // kind = type + 7 * side

// First piece index of each type within a side (add 16 for red).
constexpr int KING_INDEX = 0, ADVISOR_INDEX = 1, ELEPHANT_INDEX = 3,
              HORSE_INDEX = 5, ROOK_INDEX = 7, CANNON_INDEX = 9,
              PAWN_INDEX = 11;
constexpr int FIRST_INDEX_OF_TYPE[PIECE_TYPE_COUNT] = {
    KING_INDEX, ADVISOR_INDEX, ELEPHANT_INDEX, HORSE_INDEX,
    ROOK_INDEX, CANNON_INDEX, PAWN_INDEX};
// How many pieces of each type a side has at the start.
constexpr int PIECES_OF_TYPE[PIECE_TYPE_COUNT] = {1, 2, 2, 2, 2, 2, 5};
constexpr int sideBase(int side) { return side << 4; }
constexpr int kingIndex(int side) { return side << 4; }
constexpr int lastIndex(int side) { return (side << 4) + 15; }

// -------------------------------------------------------------------- moves
// Two moves are the same move when from and to agree; score only orders.
struct Move {
  uint8_t from;
  uint8_t to;
  int16_t score;
};
static_assert(sizeof(Move) == 4, "Move is a 4-byte record");

constexpr Move NULL_MOVE = {0, 0, 0};
inline bool sameMove(Move a, Move b) {
  return a.from == b.from && a.to == b.to;
}
inline bool isNullMove(Move m) { return m.from == 0 && m.to == 0; }
inline Move moveFromTo(int from, int to, int score = 0) {
  return Move{static_cast<uint8_t>(from), static_cast<uint8_t>(to),
              static_cast<int16_t>(score)};
}

// ------------------------------------------------------------------- keys
// A 64-bit position key. Its low word indexes the transposition table, its
// high word is the lock; the book file stores the low word first.
using ZobristKey = uint64_t;
inline uint32_t keyLow(ZobristKey k) { return static_cast<uint32_t>(k); }
inline uint32_t keyHigh(ZobristKey k) { return static_cast<uint32_t>(k >> 32); }

// ------------------------------------------------------------------ scores
constexpr int MATE = 19999;
constexpr int PERPETUAL = 19884;
constexpr int MATE_BOUND = 19769;
constexpr int NO_SCORE = 20000;
constexpr int MAX_PLY = 115;

// ------------------------------------------------------- history records
// One record per position since set-up: the undo data of the move made from
// it and the incremental key, score and material of the position itself.
struct PlyRecord {
  uint8_t capturedCode;      // EMPTY for a quiet or null move
  uint8_t givesCheck;        // the move made from here checks the opponent
  uint8_t movedCode;         // the piece the move made from here moved
  int32_t incrementalScore;  // material + placement, side to move's view
  uint32_t materialSignature;
  int32_t captureExtensionBudget;
  ZobristKey zobrist;
  PlyRecord* lastCaptureRecord;  // repetition scans stop here
  Move move;                     // the move made from this position
};

constexpr int SENTINEL_RECORDS = 8;
constexpr int USABLE_RECORDS = 515;
constexpr int TOTAL_RECORDS = SENTINEL_RECORDS + USABLE_RECORDS;

// ------------------------------------------------------ principal variation
struct PvRecord {
  int32_t count;
  Move moves[MAX_PLY];
  int16_t rootIndex;
};
