#include "search/poll.h"

#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "frontend/output.h"
#include "frontend/words.h"
#include "platform/platform.h"

bool quitRequested = false;
bool pollInputEnabled = true;

namespace {

// The node count of the last poll: the count does not move while leaves
// are searched, and one look per count is enough.
uint64_t lastPollCount = ~uint64_t{0};

// The clock is only watched in a search that may be stopped by it: the
// book switch of the side to move is on and the iteration is deeper than a
// "go depth" asked for.
bool clockWatched() {
  return searchOptions.bookSwitch[rootSide] == 1 && iterationDepth > searchOptions.maxDepth;
}

// Serves the lines that arrived while thinking. "stop" and "quit" end the
// search (lines behind them are left to the command loop), "isready" is
// answered at once, everything else is dropped.
void readPendingInput() {
  while (const char* line = readLine()) {
    const char* start = skipBlanks(line);
    const char* end = wordEnd(start);
    if (wordIs(start, end, "stop")) {
      stopRequested = 1;
      return;
    }
    if (wordIs(start, end, "quit")) {
      quitRequested = true;
      stopRequested = 1;
      return;
    }
    if (wordIs(start, end, "isready")) sendLine("readyok");
  }
  if (inputClosed()) {
    // Nobody is left to wait for the answer: finish and shut down.
    quitRequested = true;
    stopRequested = 1;
  }
}

}  // namespace

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
  if (pollInputEnabled) readPendingInput();
}
