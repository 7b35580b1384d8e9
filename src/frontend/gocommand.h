// The "go" command: its limits, and the "bestmove" reply.
#pragma once

#include "types.h"

struct SearchOptions;

// Limits of the go command, in one place.
constexpr int GO_MAX_SECONDS = 600000;
constexpr int GO_MAX_MOVES_TO_GO = 1024;
constexpr int GO_MAX_INCREMENT = 1024;
constexpr int GO_MAX_DEPTH = 255;
constexpr int GO_INFINITE_MS = 3600000;
constexpr int GO_DEPTH_ONLY_MS = 268435455;

// The value of the leading decimal digits of text, never above maximum;
// no blanks are skipped and no sign is read, so other text reads as 0.
int parseBoundedInt(const char* text, int maximum);

struct GoRequest {
  bool setsTimeLimit;  // timed, infinite or depth-limited
  int timeLimitMs;
  bool setsMaxDepth;   // a depth was given
  int maxDepth;
  int depth;           // iteration depth handed to the search
};

// Reads the words of a go (or ponder) line. movesDivisor comes from the
// time manager, timedDepth from the search options.
GoRequest parseGoCommand(const char* line, int movesDivisor, int timedDepth);
void applyGoRequest(const GoRequest& request, SearchOptions* options);

// "bestmove m1" or "bestmove m1 ponder m2" from a best line; "nobestmove"
// when the line is empty.
void sendBestMove(const PvRecord& pv);
