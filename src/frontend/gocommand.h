// The "go" command: its limits, and the "bestmove" reply.
#pragma once

#include "search/searchstate.h"
#include "types.h"

struct SearchOptions;

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
constexpr int GO_INFINITE_MS = 3600000;
constexpr int GO_DEPTH_ONLY_MS = 268435455;
// The option record's maximum depth at start-up and after any go line
// without "depth": the clock is watched from the second iteration on.
constexpr int STARTUP_MAX_DEPTH = 1;

// The value of the leading decimal digits of text, never above maximum;
// no blanks are skipped and no sign is read, so other text reads as 0.
int parseBoundedInt(const char* text, int maximum);

struct GoRequest {
  bool setsTimeLimit;  // timed, infinite or depth-limited
  int timeLimitMs;
  bool setsMaxDepth;   // a depth was given
  int maxDepth;
  int depth;           // iteration depth handed to the search
  int64_t clockMs;     // our clock ("time"), -1 when the line gives none
  GoMode mode;         // "infinite" analyses, "ponder" thinks in the opponent's time
};

// "setoption usemillisec true": the clock numbers of go lines ("time",
// "increment", and "opptime"/"oppincrement", which the budget does not use)
// are milliseconds instead of seconds.
extern bool goClockInMilliseconds;

// Reads the words of a go (or ponder) line. movesDivisor comes from the
// time manager, timedDepth from the search options (0: no depth limit).
// "time" alone is sudden death and budgets like "movestogo". The word
// "ponder" anywhere makes a ponder search, whose limits serve after
// "ponderhit".
GoRequest parseGoCommand(const char* line, int movesDivisor, int timedDepth,
                         bool milliseconds = false);
// A line without "depth" puts the maximum depth back to STARTUP_MAX_DEPTH.
void applyGoRequest(const GoRequest& request, SearchOptions* options);

// "bestmove m1" or "bestmove m1 ponder m2" from a best line; "nobestmove"
// when the line is empty.
void sendBestMove(const PvRecord& pv);
