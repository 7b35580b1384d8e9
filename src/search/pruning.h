// Pruning from the static score at nodes of the main search (non-PV nodes
// out of check), each technique a switch of the search options.
#pragma once

#include "types.h"

struct SearchThread;

// The node's static score, kept for the pruning below (-MATE in check, 0
// when no technique needs it).
int nodeStaticScore(SearchThread& t, int ply, bool inCheck);

// Whether the side to move's static score rose since its last move (or
// cannot be compared: near the root, or in check then).
bool isImproving(const SearchThread& t, int ply);

// Reverse futility: a shallow node whose static score beats beta by a
// margin for every ply left is taken to fail high.
bool reverseFutilityCut(const SearchThread& t, int ply, int depth, int beta, int nodeType,
                        bool inCheck);

// What the move loop of a node may skip once it has a real best score.
struct Pruning {
  bool active;
  bool futile;        // quiet moves that give no check
  int quietLimit;     // quiet moves searched before the others are skipped
  int exchangeFloor;  // captures that lose more than this (NO_EXCHANGE_FLOOR: none)
};
constexpr int NO_EXCHANGE_FLOOR = -MATE;

// Futility from the static score, late-move pruning (a half limit when the
// static score fell since the side's last move), the exchange floor.
Pruning pruningAt(const SearchThread& t, int ply, int depth, int alpha, int nodeType,
                  bool inCheck);
