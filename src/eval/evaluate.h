// Static evaluation for the side to move: the incremental material and
// placement score plus tempo, king safety and line threats, with lazy exits
// when the score lies far outside the window.
#pragma once

#include "types.h"

struct Board;

void buildEvalTables();  // derived tables, after the evaluation script

// threatCount receives the side to move's threat count against the enemy
// king (0 when king safety did not run).
int evaluate(const Board& board, int ply, int alpha, int beta, int* threatCount);

int kingSafety(const Board& board, int side, int16_t* threatsBlack, int16_t* threatsRed);
int lineThreats(const Board& board, int side);
bool isAttackedBy(const Board& board, int square, int side, int excluded);
