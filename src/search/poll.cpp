#include "search/poll.h"

#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "eval/evaluate.h"
#include "platform/platform.h"
#include "search/search.h"

bool stopHeard = false;
uint64_t pollMask = POLL_NODE_MASK;

namespace {

SearchReporter silentReporter;

// The node count of the last poll: the count does not move while leaves
// are searched, and one look per count is enough.
uint64_t lastPollCount = ~uint64_t{0};

}  // namespace

SearchReporter* searchReporter = &silentReporter;

// Only a normal go with a clock, past the iterations that always complete.
bool clockWatched() {
  return goMode == GoMode::Normal && goLimits.timed() &&
         searchThread(0).iterationDepth > CLOCK_FREE_ITERATIONS;
}

void resetPolling() {
  lastPollCount = ~uint64_t{0};
  stopHeard = false;
  pollMask = goLimits.nodes > 0 ? NODE_LIMIT_POLL_MASK : POLL_NODE_MASK;
}

void hear(PollAnswer answer) {
  if (answer == PollAnswer::PonderHit && goMode == GoMode::Ponder) ponderHit();
  if (answer == PollAnswer::Stop) stopHeard = true;
  // Iteration 1 always completes; the driver stops after it.
  if (stopHeard && searchThread(0).iterationDepth > 1) stopRequested = 1;
}

void pollNow(const SearchThread& t) {
  const uint64_t count = t.nodeCount();
  if (count == lastPollCount) return;
  lastPollCount = count;
  if (stopRequested) return;
  if (goLimits.nodes > 0 && searchedNodes() >= goLimits.nodes) {
    hear(PollAnswer::Stop);
    return;
  }
  if (clockWatched() &&
      timeManager.mustStopNow(engineClockMs(), softDeadlineMs, hardDeadlineMs)) {
    stopRequested = 1;
    return;
  }
  hear(searchReporter->pollInput());
}
