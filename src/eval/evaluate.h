// Static evaluation for the side to move: the incremental material and
// placement score plus tempo, king safety and line threats, with lazy exits
// when the score lies far outside the window; or the learned evaluation's
// score (useNetwork, with a loaded net).
#pragma once

#include "types.h"

struct Board;

// Derived tables of the evaluation; after the piece tables.
void buildEvalTables();

// Every score evaluate returns lies within this, far from the mate scores,
// whatever the position (a king taken deep in a search included) and window.
constexpr int EVAL_SCORE_LIMIT = 15000;


// `beyond` is how many plies the node lies past the depth of the running
// iteration: the costly king-safety and line-threat terms are only computed
// within a few plies of it. threatCount receives the side to move's threat
// count against the enemy king (0 when king safety did not run).
int evaluate(const Board& board, int beyond, int alpha, int beta, int* threatCount);

// Attack score of `side` on the enemy king minus the other side's on its
// king; the threat counts of black's and of red's attack are stored.
int kingSafety(const Board& board, int side, int16_t* threatsBlack, int16_t* threatsRed);
// Rooks or cannons of `attacker` behind a piece in front of the defending
// king, looking towards the defender's back edge; adds to *threats.
int kingFileThreats(const Board& board, int attacker, int16_t* threats);
// Threats of `side`'s rooks and cannons on pieces standing in front of the
// other side's rooks; never negative.
int lineThreats(const Board& board, int side);

// True when a piece of `side` attacks the playing square `square`, the
// piece on `excluded` (NO_SQUARE for none) taken off the board.
bool isAttackedBy(const Board& board, int square, int side, int excluded);
inline bool isAttackedBy(const Board& board, int square, int side) {
  return isAttackedBy(board, square, side, NO_SQUARE);
}
// The same test counting only rooks, cannons, horses and pawns.
bool isAttackedByFreePieces(const Board& board, int square, int side, int excluded);
