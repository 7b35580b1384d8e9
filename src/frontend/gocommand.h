// The "go" command: its limits, and the "bestmove" reply.
#pragma once

#include "search/limits.h"
#include "search/searchstate.h"
#include "types.h"

// Limits of the go command, in one place.
constexpr int MS_PER_SECOND = 1000;
// The clock limits below are in seconds; with milliseconds asked for, the
// same limits hold, scaled.
constexpr int GO_MAX_SECONDS = 600000;
constexpr int GO_MAX_MOVES_TO_GO = 1024;
// The moves a clock with moves to go is shared among beyond those moves.
constexpr int MOVES_TO_GO_RESERVE = 2;
constexpr int GO_MAX_INCREMENT = 1024;
constexpr int GO_MAX_DEPTH = 255;
constexpr int GO_MAX_NODES = 2000000000;
constexpr int GO_MAX_MATE = 100;

// The value of the leading decimal digits of text, never above maximum;
// no blanks are skipped and no sign is read, so other text reads as 0.
int parseBoundedInt(const char* text, int maximum);

// "setoption usemillisec true": the clock numbers of go lines ("time",
// "increment", and "opptime"/"oppincrement", which the budget does not use)
// are milliseconds instead of seconds.
extern bool goClockInMilliseconds;

// Reads the words of a go (or ponder) line into the limits of its search.
// movesDivisor comes from the time manager, timedDepth from the search
// options (0: no depth limit). "time" alone is sudden death and budgets
// like "movestogo"; "depth" overrides the clock of "time"; "movetime" (in
// milliseconds), "nodes" and "mate" add their own limits; a line with none
// of these (and without "infinite") analyses until "stop". The word
// "ponder" anywhere makes a ponder search, whose limits serve after
// "ponderhit". Other words are ignored.
SearchLimits parseGoCommand(const char* line, int movesDivisor, int timedDepth,
                            bool milliseconds = false);

// A UCI go line for the side to move: its clock "wtime"/"btime" with
// "winc"/"binc" and "movestogo" (milliseconds, less overheadMs), and the
// words shared with UCCI; "searchmoves" and the move texts after it
// restrict the root moves. Other words are ignored.
SearchLimits parseUciGo(const char* line, int side, int movesDivisor, int timedDepth,
                        int overheadMs);

// "bestmove m1" or "bestmove m1 ponder m2" from a best line, with " draw"
// when m1 claims a drawn repetition; when the line is empty, "nobestmove"
// (UCI: "bestmove (none)").
void sendBestMove(const PvRecord& pv, bool uci = false, bool claimDraw = false);
