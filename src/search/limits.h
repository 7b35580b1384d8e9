// The limits of one "go": built by the protocol front end, handed whole to
// the driver; nothing of one go carries over into the next.
#pragma once

#include <cstdint>

#include "search/tuning.h"
#include "types.h"

// Most best lines a go may ask for, and most root moves it may restrict
// the search to.
constexpr int MAX_MULTI_PV = 128;
constexpr int MAX_SEARCH_MOVES = 128;

struct SearchLimits {
  int depth = MAX_ITERATION_DEPTH;  // deepest iteration
  uint64_t nodes = 0;               // stop past this many nodes (0: no limit)
  int mate = 0;                     // moves: stop once a mate this near is found (0: any mate)
  int64_t budgetMs = -1;            // share of the clock for this move (-1: no clock)
  int64_t clockMs = -1;             // time left on our clock (-1: not given)
  int64_t moveTimeMs = -1;          // think exactly this long (-1: not given)
  bool infinite = false;            // analysis: answer only after "stop"
  bool ponder = false;              // the opponent's time: answer after "ponderhit" or "stop"
  bool useBook = true;
  int multiPv = 1;                  // best lines to find and show
  // Root moves to search, when given (any others are left out).
  int searchMoveCount = 0;
  Move searchMoves[MAX_SEARCH_MOVES];

  // The clock (a budget or a fixed time) may end the search.
  bool timed() const { return budgetMs >= 0 || moveTimeMs >= 0; }
};

// A search to a fixed depth, with no clock (tests, bench, data tools).
inline SearchLimits depthLimits(int depth) {
  SearchLimits l;
  l.depth = depth;
  return l;
}
