// The "position" command: set-up from a FEN text or the start position, then
// the replay of the moves played since.
#pragma once

#include "types.h"

struct Board;

// Moves applied after the last set-up position.
extern int replayedMoveCount;

// Sets the board from a FEN text; true when the position can be searched
// (both kings on the board, every piece on a square it can reach, the side
// to move unable to take the other king).
bool setUpPosition(Board& board, const char* fen);

// Whether a move read from outside may be made now: both squares on the
// board, a piece of the side to move on the from-square that can go to the
// to-square, no king taken. makeMove may still refuse it.
bool isReplayableMove(const Board& board, Move m);

// Makes the moves of a blank-separated list of four-character texts and
// stops at the first one that cannot be made; returns the number made.
// A game taller than the record stack is trimmed on the way.
int replayMoves(Board& board, const char* moves);

// Serves a whole "banmoves" line: its move texts become the root moves the
// following searches of this position leave out (bannedMoves), in place of
// any earlier list. The list is read like the moves of a position line and
// ends at the first word that is not a move between two board squares.
void serveBanMoves(const char* line);

// Serves a whole "position" line; it clears the banned moves. Returns the validity of the board's
// position afterwards; a line that names no position changes nothing and
// returns `valid`.
bool servePosition(Board& board, const char* line, bool valid);
