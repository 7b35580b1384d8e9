// Engine-wide piece and square tables, built once at start-up by
// buildPieceTables() before anything else.
#pragma once

#include "config/evalscript.h"
#include "types.h"

// By piece code 0..32 (32 = EMPTY).
extern const uint8_t PieceKindOf[33];
extern uint8_t PieceTypeOf[33];
extern uint32_t PieceBit[32];
// Display names by piece kind, UTF-8.
extern const char* const PieceName[PIECE_KIND_COUNT];

// By square.
extern uint8_t InBoard[256];
extern uint8_t Square90[256];
extern uint8_t PalaceMask[2][256];
// SameLine[a * 256 + b]: both playing squares on one rank or file.
extern uint8_t SameLine[65536];

// HorseLeg[d] for d = king square - horse square, any difference of two
// squares (-255..255): the offset from the horse to its leg, 0 when d is no
// horse step.
extern const int8_t* const HorseLeg;

// Extension gain of capturing a piece, by type.
extern const int CaptureGain[PIECE_TYPE_COUNT];

// ------------------------------------------------------------ score tables
// pieceValue and pieceSquare come with the evaluation script; this one is
// derived from them when the script is loaded: value plus square value by
// piece index.
extern int pieceSquareByIndex[32][256];

void buildPieceTables();

// Square on the playing area from a file 0..8 (left to right, as red sees
// it) and a row 0..9 counted from the top (black's back rank).
inline int squareAt(int file, int row) { return 0x33 + row * 16 + file; }

// Row 0..9 of a square counted from a side's own back rank.
inline int relativeRow(int side, int sq) {
  return side == BLACK ? rankOf(sq) - RANK_TOP : RANK_BOTTOM - rankOf(sq);
}
