// Pseudo-legal move generation. A pseudo-legal move obeys its piece's
// movement rules but may leave the mover's king attacked; makeMove refuses
// those.
#pragma once

#include "types.h"

struct Board;

// Checks a stored move (hash move, killer) against the current position
// without generating anything. Squares are taken as given: it admits an
// elephant step across the river, and callers holding text from outside
// must check that both squares are playing squares.
bool isPseudoLegal(const Board& board, int side, Move m);
