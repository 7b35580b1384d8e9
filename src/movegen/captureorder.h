// The capture-order table: one precomputed ordering score per (mover,
// victim, destination). Valuable victims and cheap attackers come first;
// advisors and elephants on their points, and pawns across the river, have
// fixed scores of their own.
#pragma once

#include "types.h"

// Scores at or above this are tried before the killers.
constexpr int16_t goodCaptureThreshold = 31;
// The quiescence search tries only captures scoring at least this.
constexpr int16_t minCaptureScore = 1;

// Indexed ((mover code * 32) | victim code) * 256 + to-square.
constexpr int CAPTURE_ORDER_SIZE = 32 * 32 * 256;
extern int16_t captureOrderTable[CAPTURE_ORDER_SIZE];

inline int captureOrderIndex(int mover, int victim, int to) {
  return ((mover << 5) | victim) * 256 + to;
}

// Needs the piece tables.
void buildCaptureOrderTable();
