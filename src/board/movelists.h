// Precomputed move lists: for every piece kind and square the geometric
// targets (with the square that can block each one), and for every square
// and every occupancy of its rank and file the ready-made rook and cannon
// moves plus the line values the evaluation reads. Built once at start-up,
// after the evaluation script is loaded; released at shut-down.
#pragma once

#include "types.h"

// One target of a piece kind from a square. A list ends with a node whose
// target is NO_SQUARE.
struct TargetNode {
  uint8_t target;
  // Must be empty for the step: the horse's leg, the elephant's eye; the
  // target itself for every other kind.
  uint8_t block;
  // Rooks and cannons: first node of the next ray (null after the last ray).
  // Other kinds: the following node (null after the last).
  TargetNode* next;
  ZobristKey keyChange;  // zobristKind[kind][from] ^ zobristKind[kind][target]
  int32_t scoreChange;   // pieceSquare[kind][target] - pieceSquare[kind][from]
};

// PieceTargets[kind][square]: null where the kind can never stand; the list
// of NO_SQUARE holds only the end node, so a captured piece yields nothing.
extern TargetNode* PieceTargets[PIECE_KIND_COUNT][256];
// 1 for elephants and horses: their nodes' block square must be empty.
extern uint8_t needsBlockTest[PIECE_KIND_COUNT];

// A capture Move onto the first (rook) or second (cannon) occupied square in
// one direction, and that square; both name the piece's own square when
// there is none. The Move's score is meaningless.
struct LineCapture {
  Move move;
  uint8_t square;
};

// The rook and cannon moves of a piece on one square along one line with one
// occupancy pattern, and the line values of a rook or cannon there.
struct LineMoveRecord {
  uint8_t quietCount;  // empty squares reachable both ways
  Move* quietMoves;    // ascending square order, score -32767; null if none
  LineCapture rookCaptureLow, rookCaptureHigh;
  LineCapture cannonCaptureLow, cannonCaptureHigh;
  int16_t rookValue[2];    // by side: black's, then red's
  int16_t cannonValue[2];  // by side
};

constexpr int ROW_PATTERNS = 512;   // 9 files
constexpr int COL_PATTERNS = 1024;  // 10 ranks

// RowMoves[sq][bitRows[rankOf(sq)]] and ColMoves[sq][bitCols[fileOf(sq)]];
// null for squares off the playing area.
extern LineMoveRecord* RowMoves[256];
extern LineMoveRecord* ColMoves[256];

// ScaleTable[i] = 4 * i.
extern uint32_t ScaleTable[20];

// Builds the line tables first, then the target lists, the line-move
// records and the capture-order table. Needs the piece tables, the Zobrist
// keys and the evaluation script's grids (zeros give zero line values).
void buildMoveTables();
// Releases what buildMoveTables allocated; safe to call twice.
void freeMoveTables();
