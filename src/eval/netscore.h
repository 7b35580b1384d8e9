// The learned evaluation: the net of Network.nnue read on the board's
// accumulators, which are brought up to date here when a score is asked for.
#pragma once

#include "types.h"

struct Board;
struct Accumulator;

// An entry stale at the current height is rebuilt from the nearest
// computed one at most this many plies below it (its moves' changes
// applied in one pass), else from the pieces on the board: a pass with one
// row per piece.
constexpr int NET_REPLAY_PLIES_MAX = 8;

// The board's entry of the current position, up to date.
const Accumulator& currentAccumulator(const Board& board);

// The net's score for the side to move, clamped to +-limit. Needs a loaded
// net.
int networkScore(const Board& board, int limit);
