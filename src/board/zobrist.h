// Position keys. The generator, its seed and the drawing order are fixed:
// opening-book files store keys made by this code.
#pragma once

#include "types.h"

extern ZobristKey zobristKind[PIECE_KIND_COUNT][256];
extern ZobristKey zobristPiece[32][256];
constexpr ZobristKey sideKey = ~ZobristKey(0);

void initZobrist();
