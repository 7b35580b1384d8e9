// The search: alpha-beta with quiescence below it, the root search and the
// iterative-deepening go driver.
#pragma once

#include "types.h"

struct Board;

// Runs a whole "go": book, then iterative deepening up to maxDepth under
// the limits in searchOptions. Leaves the result in rootPv and rootScore.
int searchGo(Board& board, int maxDepth);

int searchRoot(Board& board, int depth, int alpha, int beta);
int alphaBeta(Board& board, int ply, int depth, int alpha, int beta, int nodeType);
int searchForMove(Board& board, int ply, int depth, int alpha, int beta, Move* move,
                  int nodeType);
int quiesce(Board& board, int ply, int alpha, int beta);
void computeGamePhase(const Board& board);
void buildSearchTables();  // null-move material count table, at start-up
