// The position: squares and piece list, occupancy bit-rows and bit-columns,
// side to move and the stack of per-ply history records.
#pragma once

#include "board/accumulator.h"
#include "board/lines.h"
#include "types.h"

// Per-move change of key and placement score, by piece kind and the
// Square90 indices of the from- and to-square. Built by buildMoveDelta()
// once the keys and the evaluation script's square tables are known.
struct MoveDeltaEntry {
  ZobristKey key;  // includes sideKey
  int32_t score;
};
extern MoveDeltaEntry MoveDelta[PIECE_KIND_COUNT][90 * 90];
void buildMoveDelta();

// Replayed games taller than this are trimmed to their most recent
// GAME_RECORDS_KEPT positions, so a search always has room above them.
constexpr int GAME_RECORD_LIMIT = USABLE_RECORDS - MAX_PLY - 16;
constexpr int GAME_RECORDS_KEPT = GAME_RECORD_LIMIT / 2;

constexpr const char* START_FEN =
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1";

constexpr int FEN_TEXT_MAX = 96;

// Result of setFen. BadText: a rank of more than nine squares, more than
// ten ranks, or more pieces of a kind than a side has.
enum class FenStatus { Ok, MissingKing, BadSquare, BadText, Empty };

struct Board {
  uint8_t squares[256];
  uint8_t pieceList[32];
  uint16_t bitRows[16];
  uint16_t bitCols[16];
  uint8_t sideToMove;
  uint32_t movingPiece;  // piece moved by the last make/unmake
  PlyRecord plyRecords[TOTAL_RECORDS];
  PlyRecord* plyBase;     // &plyRecords[SENTINEL_RECORDS]
  PlyRecord* currentPly;  // record of the current position
  // The net's accumulators, a cache the evaluation fills (hence mutable):
  // entry h & ACCUMULATOR_MASK holds the position at height h when its
  // height says h. Last in the record: init and copyFrom skip them.
  mutable int32_t accumulatorHeight[ACCUMULATOR_STACK];
  mutable Accumulator accumulators[ACCUMULATOR_STACK];

  // Creates an empty board (all playing squares empty, red to move).
  void init();
  // Becomes a copy of `other`, its game records included (the records'
  // links point into this board's own stack); its accumulators are stale.
  void copyFrom(const Board& other);
  void markAccumulatorsStale();

  int kingSquare(int side) const { return pieceList[kingIndex(side)]; }
  bool inCheck() const { return currentPly[-1].givesCheck != 0; }
  int height() const { return static_cast<int>(currentPly - plyBase); }

  // ---- set-up
  void clearBoard();
  void placePiece(int index, int file, int row);
  // Reads the board field and the side field of a FEN text. A text without
  // both kings, or with a piece on a square its kind can never reach, is
  // refused: the board is then left empty and the status says why.
  FenStatus setFen(const char* text);
  // Writes the board and side fields ("... w" or "... b") into `out`,
  // which holds at least FEN_TEXT_MAX characters.
  void writeFen(char* out) const;

  // ---- moves
  // Returns true (and changes nothing) when the move would leave the
  // mover's king attacked.
  bool makeMove(Move m);
  void unmakeMove();
  // The key of the position after the move, without making it.
  ZobristKey keyAfter(Move m) const;
  void makeNullMove();
  void unmakeNullMove();
  // Drops the oldest records so that only the last `keep` moves remain in
  // the stack; the current position and its key are unchanged.
  void trimHistory(int keep);

  // ---- check test
  bool attacksKing(int side) const;  // side attacks the other side's king
  int findKingAttacker(int side, int* square) const;
  bool findKingCapture(int side, Move* move) const;
  bool leavesKingAttacked(Move m, int side);

  // ---- occupancy helpers
  void toggleBits(int sq) {
    bitRows[rankOf(sq)] ^= RowMask[sq];
    bitCols[fileOf(sq)] ^= ColMask[sq];
  }
};

// Can a piece of this code ever stand on this square (palace points,
// elephant points, pawn rows)?
bool squareAllowedFor(int code, int sq);
