#include "search/poll.h"

#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "eval/evaluate.h"
#include "platform/platform.h"
#include "search/report.h"

bool quitRequested = false;

namespace {

SearchReporter silentReporter;

// The node count of the last poll: the count does not move while leaves
// are searched, and one look per count is enough.
uint64_t lastPollCount = ~uint64_t{0};

// The clock is only watched in a search that may be stopped by it: the
// book switch of the side to move is on and the iteration is deeper than a
// "go depth" asked for.
bool clockWatched() {
  return searchOptions.bookSwitch[rootSide] == 1 && iterationDepth > searchOptions.maxDepth;
}

}  // namespace

SearchReporter* searchReporter = &silentReporter;

void resetPolling() { lastPollCount = ~uint64_t{0}; }

void pollNow() {
  if (nodeCount == lastPollCount) return;
  lastPollCount = nodeCount;
  if (stopRequested) return;
  if (clockWatched() &&
      timeManager.mustStopNow(engineClockMs(), softDeadlineMs, hardDeadlineMs)) {
    stopRequested = 1;
    return;
  }
  switch (searchReporter->pollInput()) {
    case PollAnswer::Quit:
      quitRequested = true;
      stopRequested = 1;
      break;
    case PollAnswer::Stop:
      stopRequested = 1;
      break;
    case PollAnswer::Continue:
      break;
  }
}
