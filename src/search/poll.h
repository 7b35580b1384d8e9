// The search's look at the outside world every POLL_NODE_MASK + 1 interior
// nodes: the time manager's stop decision, and the reporter's reading of
// the input lines that arrive while the engine thinks.
#pragma once

#include "search/report.h"
#include "search/searchstate.h"
#include "search/thread.h"
#include "search/tuning.h"

// "stop" heard: the search ends as soon as it may, once its first iteration
// is complete, so that every answer comes from a searched move list.
extern bool stopHeard;
// The node counts at which the search polls: every POLL_NODE_MASK + 1, or
// more often under a node limit.
extern uint64_t pollMask;

// Forget earlier polls; the driver calls it when a search starts.
void resetPolling();
// The main thread's look at the clock, the node limit and the input.
void pollNow(const SearchThread& t);
// Acts on what the input asked for (the polls and the driver's wait).
void hear(PollAnswer answer);
// The time manager may end the search: a normal go with a clock, past the
// iterations that always complete.
bool clockWatched();

// The poll (by the main thread) and the stop test at the head of every
// interior node: true when the node must unwind at once.
inline bool searchMustStop(const SearchThread& t) {
  if ((t.nodeCount() & pollMask) == 0 && t.isMain()) pollNow(t);
  return stopRequested.load(std::memory_order_relaxed) != 0;
}
