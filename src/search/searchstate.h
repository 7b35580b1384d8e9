// Engine-wide state of the search, shared by the driver, the search and the
// protocol front end.
#pragma once

#include <atomic>

#include "search/limits.h"
#include "types.h"

// A running search must unwind: set by the main thread (or the front end),
// read by every search thread.
extern std::atomic<uint8_t> stopRequested;
extern int rootSide;           // side to move of the last set-up position
extern PvRecord rootPv;        // best line of the last search
extern int rootScore;
extern int gamePhase;          // 0 opening, 1 middle game, 2 endgame, 3 a king missing
extern int64_t softDeadlineMs; // engine clock
extern int64_t hardDeadlineMs;

// How a go ends. Normal: when the search does. Infinite (analysis) and
// Ponder: only when the front end says "stop"; "ponderhit" turns a Ponder
// search into a Normal one on the clock of its go line.
enum class GoMode : uint8_t { Normal, Infinite, Ponder };
extern GoMode goMode;
// The limits of the running go (the driver's copy, read by the polls).
extern SearchLimits goLimits;
