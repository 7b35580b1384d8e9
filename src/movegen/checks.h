// Check-related generation: the pieces giving check, the moves that answer
// a check, quiet moves that give check, and kings facing on an open file.
#pragma once

#include "types.h"

struct Board;

// At most one checker per line direction (8) and one per horse (2).
constexpr int MAX_CHECKERS = 10;

// Stage bits of generateEvasions.
constexpr int EVADE_CAPTURE = 1;  // capture the checking piece
constexpr int EVADE_BLOCK = 2;    // block its line or leg, move a cannon's screen
constexpr int EVADE_KING = 4;     // king steps
constexpr int EVADE_ALL = 7;

// Mode bit of generateQuietChecks that adds the horse checks.
constexpr int QUIET_CHECKS_WITH_HORSES = 4;

// One Move (checking piece -> king) per piece of attackerSide that attacks
// the other side's king: rank rooks and pawns, rank cannons, file rooks,
// pawns and the king, file cannons, then the horses.
int findCheckers(const Board& board, int attackerSide, Move* buffer);

// Answers to a check on side's king, built for the first checker only;
// makeMove refuses those that leave the king attacked by another checker.
int generateEvasions(const Board& board, int side, const Move* checkers, int checkerCount,
                     Move* buffer, int stageMask);

// Non-capturing moves of side that check the other king: discovered checks,
// cannon screens, cannon and rook checks along the king's lines, and with
// the horse bit, horse checks and discovered horse checks. No duplicates.
int generateQuietChecks(const Board& board, int side, Move* buffer, int mode);

// True, with the capture of one king by the other (side's king moving),
// when the two kings face each other on an open file; false and the null
// move otherwise.
bool kingsFacing(const Board& board, int side, Move* move);
