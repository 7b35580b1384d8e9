// Perft: the number of legal move paths from a position.
#pragma once

#include <cstdint>

struct Board;

#include "types.h"

// Records left for the move stack after the position's own.
constexpr int PERFT_MAX_DEPTH = USABLE_RECORDS - 1;

// The number of legal move paths of `depth` plies from the board's position
// (1 for depth 0). The board is left as it was.
uint64_t countPaths(Board& board, int depth);
