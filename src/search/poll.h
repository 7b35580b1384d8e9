// The search's look at the outside world every POLL_NODE_MASK + 1 interior
// nodes: the time manager's stop decision, and the reporter's reading of
// the input lines that arrive while the engine thinks.
#pragma once

#include "search/searchstate.h"
#include "search/tuning.h"

// "quit" (or the end of input) seen while searching: the command loop
// shuts down once the search has answered.
extern bool quitRequested;

// Forget earlier polls; the driver calls it when a search starts.
void resetPolling();
void pollNow();

// The poll and stop test at the head of every interior node: true when the
// node must unwind at once.
inline bool searchMustStop() {
  if ((nodeCount & POLL_NODE_MASK) == 0) pollNow();
  return stopRequested != 0;
}
