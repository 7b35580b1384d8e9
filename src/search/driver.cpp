// The go driver: per-search set-up, iterative deepening under the time
// manager, and the result in rootPv and rootScore.
#include <algorithm>
#include <cstdlib>

#include "board/board.h"
#include "board/tables.h"
#include "book/book.h"
#include "config/evalscript.h"
#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "eval/evaluate.h"
#include "movegen/history.h"
#include "movegen/movegen.h"
#include "movegen/picker.h"
#include "platform/platform.h"
#include "search/hash/tt.h"
#include "search/poll.h"
#include "search/pruning.h"
#include "search/pvcheck.h"
#include "search/report.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "search/thread.h"
#include "search/tuning.h"

namespace {

int64_t searchStartMs = 0;

void limitRepetitionWindow(Board& board) {
  PlyRecord* window = board.currentPly - ROOT_REPETITION_WINDOW;
  PlyRecord& previous = board.currentPly[-1];
  if (previous.lastCaptureRecord < window) previous.lastCaptureRecord = window;
}

void resetTimeManager() {
  TimeManager& tm = timeManager;
  tm.rootMoveIndex = 0;
  tm.lastScore = 0;
  tm.scoreDropped = tm.extendTime = tm.failHighSeen = tm.easyMove = tm.stopNow = 0;
}

// Whether the clock ends the search after an iteration of `depth`: a
// fixed time only when it has run out, a budget by the time manager's rules.
bool timeIsUp(int depth) {
  if (depth <= 1 || !clockWatched()) return false;
  const int64_t now = engineClockMs();
  if (goLimits.moveTimeMs >= 0) return now >= softDeadlineMs;
  return timeManager.shouldStopAfterIteration(now, softDeadlineMs);
}

// Soft and hard deadlines of the go's limits, counted from start: a fixed
// time is both; a budget's hard deadline is the time manager's, and with a
// clock given it leaves a safety margin of the clock untouched.
void setDeadlines(int64_t start) {
  timeManager.startMs = start;
  softDeadlineMs = hardDeadlineMs = INT64_MAX;
  if (goLimits.moveTimeMs >= 0) {
    softDeadlineMs = hardDeadlineMs = start + goLimits.moveTimeMs;
    return;
  }
  if (goLimits.budgetMs < 0) return;
  const int32_t limit = static_cast<int32_t>(goLimits.budgetMs);
  int64_t hard = timeManager.hardDeadline(start, limit);
  if (goLimits.clockMs >= 0) {
    const int64_t clockMs = goLimits.clockMs;
    const int64_t margin = std::max(CLOCK_SAFETY_MIN_MS, clockMs * CLOCK_SAFETY_PERCENT / 100);
    hard = std::min(hard, start + std::max<int64_t>(0, clockMs - margin));
  }
  hardDeadlineMs = hard;
  softDeadlineMs = std::min(start + limit, hard);
}

int64_t elapsedMs() { return std::max<int64_t>(0, engineClockMs() - searchStartMs); }

// The best lines of the last iteration when the go asks for several, best
// first; line 0 is also the thread's pvLines[0].
PvRecord multiPvLines[MAX_MULTI_PV];
int multiPvScores[MAX_MULTI_PV];
int multiPvCount = 0;  // lines found in the last complete iteration

void singleMoveLine(PvRecord* pv, Move m) {
  pv->count = 1;
  pv->moves[0] = m;
  pv->rootIndex = 0;
}

bool inSearchMoves(Move m) {
  for (int i = 0; i < goLimits.searchMoveCount; ++i)
    if (sameMove(m, goLimits.searchMoves[i])) return true;
  return false;
}

// Takes the moves the front end banned out of the root list, and with a
// list of moves to search, every move not in it (unless that would leave
// none), once per go; returns the number left.
int leaveOutBannedMoves(MovePicker& root, int count) {
  int kept = 0;
  for (int i = 0; i < count; ++i)
    if (!isBannedMove(root.moves[i])) root.moves[kept++] = root.moves[i];
  if (goLimits.searchMoveCount == 0) return kept;
  int listed = 0;
  for (int i = 0; i < kept; ++i)
    if (inSearchMoves(root.moves[i])) std::swap(root.moves[listed++], root.moves[i]);
  return listed > 0 ? listed : kept;
}

// A book move for the root: it becomes the result, and every playable move
// of the record is shown.
bool playFromBook(SearchThread& t) {
  BookRecord record;
  bool found = false;
  probeBook(t.board, &t.pvLines[0], &record, &found);
  if (!found) return false;
  copyPv(&rootPv, t.pvLines[0]);
  rootScore = 0;
  for (int i = 0; i < record.moveCount; ++i) searchReporter->bookMove(record.moves[i]);
  return true;
}

// A thread's state for a new go on the position of its board: cleared
// move-ordering memory, and its ordered legal root moves (returns their
// number).
int prepareThread(SearchThread& t) {
  t.forgetOrdering(searchOptions.useContinuationHistory);
  t.pvLines[0].count = 0;
  t.bestLine.count = 0;
  t.bestScore = 0;
  t.completedDepth = 0;
  t.iterationDepth = 1;
  MovePicker& root = t.picker(0);
  t.rootFirst = 0;
  t.rootMoveCount = root.generateRootMoves();
  if (bannedMoveCount > 0 || goLimits.searchMoveCount > 0)
    t.rootMoveCount = leaveOutBannedMoves(root, t.rootMoveCount);
  orderRootMoves(root, 0, t.rootMoveCount, NULL_MOVE);
  t.board.currentPly->captureExtensionBudget = 0;
  return t.rootMoveCount;
}

void noteIterationDone(const SearchThread& t, int depth, int v) {
  const MovePicker& root = t.picker(0);
  int first = -MATE, second = -MATE;
  for (int i = 0; i < t.rootMoveCount; ++i) {
    const int s = root.moves[i].score;
    if (s > first) {
      second = first;
      first = s;
    } else if (s > second) {
      second = s;
    }
  }
  timeManager.iterationDone(depth, v, t.rootMoveCount, first, second);
}

void reportIteration(const SearchThread& t, int depth, int v) {
  if (!searchOptions.printNewBest) return;
  if (depth <= searchOptions.printMinDepth && std::abs(v) < MATE_BOUND) return;
  if (depth <= searchOptions.printMinDepth && v <= -MATE_BOUND)
    searchReporter->bestLine(t.pvLines[0], depth, rootScore);
  searchReporter->iterationDone(rootPv, depth, v, elapsedMs(), searchedNodes());
  for (int k = 1; k < multiPvCount; ++k)
    searchReporter->otherLine(multiPvLines[k], depth, multiPvScores[k], k + 1);
}

// The root search of one iteration. With aspiration on, a window around
// the last iteration's score first, widened on the side that failed until
// the score lands inside it.
int aspirate(SearchThread& t, int depth, int lastScore) {
  const int width = searchOptions.aspirationWindow;
  if (width <= 0 || depth < ASPIRATION_MIN_DEPTH || std::abs(lastScore) >= MATE_BOUND)
    return searchRoot(t, depth, -MATE, MATE);
  int delta = width;
  int alpha = std::max(lastScore - delta, -MATE), beta = std::min(lastScore + delta, MATE);
  for (;;) {
    const int v = searchRoot(t, depth, alpha, beta);
    if (stopRequested) return v;
    if (v <= alpha && alpha > -MATE) {
      beta = (alpha + beta) / 2;
      alpha = std::max(v - delta, -MATE);
    } else if (v >= beta && beta < MATE) {
      beta = std::min(v + delta, MATE);
    } else {
      return v;
    }
    delta += delta / 2;
    if (delta > ASPIRATION_FULL_WIDTH) alpha = -MATE, beta = MATE;
  }
}

// Moves root move `from` to `to` (to <= from), the ones between one down.
void raiseRootMove(MovePicker& root, int from, int to) {
  const Move m = root.moves[from];
  for (int i = from; i > to; --i) root.moves[i] = root.moves[i - 1];
  root.moves[to] = m;
}

// The lines found, best first: a later line may score above an earlier
// one, whose search met it with a narrower window. The root moves follow.
void sortLines(MovePicker& root, int count) {
  for (int k = 1; k < count; ++k)
    for (int j = k; j > 0 && multiPvScores[j] > multiPvScores[j - 1]; --j) {
      std::swap(multiPvLines[j], multiPvLines[j - 1]);
      std::swap(multiPvScores[j], multiPvScores[j - 1]);
      std::swap(root.moves[j], root.moves[j - 1]);
    }
}

// One iteration of the main thread: the best line, and when the go asks
// for several, line k the best of the moves the lines before it left out.
// The lines end in multiPvLines best first, with their moves first in the
// root list; line 0 is also pvLines[0]. A stop after the first line keeps
// the first line.
int searchLines(SearchThread& t, int depth) {
  t.selDepth = 0;
  const int lines = std::min(goLimits.multiPv, t.rootMoveCount);
  if (lines <= 1) return aspirate(t, depth, rootScore);
  MovePicker& root = t.picker(0);
  int found = 0, v = -MATE;
  for (; found < lines; ++found) {
    t.rootFirst = found;
    v = aspirate(t, depth, found < multiPvCount ? multiPvScores[found] : -MATE);
    if (stopRequested || t.pvLines[0].count == 0) break;
    for (int i = found; i < t.rootMoveCount; ++i)
      if (sameMove(root.moves[i], t.pvLines[0].moves[0])) {
        raiseRootMove(root, i, found);
        break;
      }
    copyPv(&multiPvLines[found], t.pvLines[0]);
    multiPvScores[found] = v;
  }
  t.rootFirst = 0;
  if (found == 0) return v;
  if (!stopRequested) {
    sortLines(root, found);
    multiPvCount = found;
  }
  copyPv(&t.pvLines[0], multiPvLines[0]);
  return multiPvScores[0];
}

// A completed iteration, kept for the choice of the answer.
void keepIteration(SearchThread& t, int depth, int v) {
  copyPv(&t.bestLine, t.pvLines[0]);
  t.bestScore = v;
  t.completedDepth = depth;
}

// The main thread's iterations: the clock, the reports and the result.
void deepen(SearchThread& t, int maxDepth) {
  for (int depth = 1; depth <= maxDepth; ++depth) {
    t.iterationDepth = depth;
    timeManager.startIteration();
    const int v = searchLines(t, depth);
    const bool stopped = stopRequested != 0;
    if (!stopped || t.pvLines[0].count > 0) copyPv(&rootPv, t.pvLines[0]);
    if (stopped) return;
    rootScore = v;
    keepIteration(t, depth, v);
    noteIterationDone(t, depth, v);
    if (timeIsUp(depth)) return;
    checkAndStorePv(t, 0);
    reportIteration(t, depth, v);
    if (stopHeard) return;  // a stop that came during the first iteration
    // A mate either way: deeper iterations cannot change the move (with
    // "go mate N", a win goes on until it is that near).
    if (v <= -MATE_BOUND) return;
    if (v >= MATE_BOUND && (goLimits.mate == 0 || MATE - v <= 2 * goLimits.mate - 1)) return;
    if (searchOptions.debugConsole) searchReporter->debugLine(t.pvLines[0], depth, rootScore);
  }
}

// Helpers search the depths of their own schedule: helper i skips the
// depths where ((depth + phase) / size) is odd, so that the threads spread
// over neighbouring depths instead of all searching the same one.
bool helperSkipsDepth(int index, int depth) {
  const int i = (index - 1) % HELPER_SCHEDULES;
  return ((depth + HELPER_SKIP_PHASE[i]) / HELPER_SKIP_SIZE[i]) % 2 != 0;
}

// The finished result of a helper replaces the main thread's when it went
// deeper with a better score.
void takeBestResult(const SearchThread& main) {
  const SearchThread* best = &main;
  for (int i = 1; i < searchThreadCount(); ++i) {
    const SearchThread& h = searchThread(i);
    if (h.bestLine.count > 0 && h.completedDepth > best->completedDepth &&
        h.bestScore > best->bestScore)
      best = &h;
  }
  if (best == &main) return;
  copyPv(&rootPv, best->bestLine);
  rootScore = best->bestScore;
  searchReporter->bestLine(rootPv, best->completedDepth, rootScore);
}

}  // namespace

void computeGamePhase(const Board& board) {
  if (board.pieceList[kingIndex(BLACK)] == NO_SQUARE ||
      board.pieceList[kingIndex(RED)] == NO_SQUARE) {
    gamePhase = 3;
    return;
  }
  int sum = 0;
  for (int side = BLACK; side <= RED; ++side) {
    int total = -pieceValue[PieceKindOf[kingIndex(side)]];
    for (int i = sideBase(side); i <= lastIndex(side); ++i) {
      const int sq = board.pieceList[i];
      if (sq != NO_SQUARE) total += pieceSquareByIndex[i][sq];
    }
    sum += std::abs(total);
  }
  gamePhase = sum > evalScript.triple9[0] ? 0 : sum > evalScript.triple9[1] ? 1 : 2;
}

void helperSearch(SearchThread& t) {
  if (prepareThread(t) <= 1) return;
  const int maxDepth = std::min(goLimits.depth, MAX_ITERATION_DEPTH);
  int lastScore = 0;
  for (int depth = 1; depth <= maxDepth; ++depth) {
    if (helperSkipsDepth(t.index, depth)) continue;
    t.iterationDepth = depth;
    const int v = aspirate(t, depth, lastScore);
    if (stopRequested) return;
    keepIteration(t, depth, v);
    lastScore = v;
    if (std::abs(v) >= MATE_BOUND) return;
  }
}

namespace {

// The search of a go, its result in rootPv and rootScore.
void think(SearchThread& t, int maxDepth) {
  Board& board = t.board;
  allowPvReport();
  rootPv.count = 0;
  rootPv.rootIndex = 0;
  rootScore = 0;
  multiPvCount = 0;
  resetNodeCounts();
  limitRepetitionWindow(board);
  if (hasNoLegalMove(board, board.sideToMove)) {
    // Nothing to play: rootPv stays empty and the answer is "nobestmove".
    rootScore = -MATE;
    return;
  }
  // "go depth 0": no move is chosen and the answer is "nobestmove".
  if (maxDepth < 1) return;
  if (searchOptions.lmrTable)
    buildReductionTable(searchOptions.lmrTableBase, searchOptions.lmrTableDivisor);
  computeGamePhase(board);
  resetTimeManager();
  setDeadlines(searchStartMs);
  t.pvLines[0].count = 0;
  // Analysis wants a search, never a book move.
  if (goLimits.useBook && !goLimits.infinite && playFromBook(t)) return;

  // Every legal move is banned: "nobestmove".
  if (prepareThread(t) == 0) return;
  MovePicker& root = t.picker(0);
  // Whatever stops the search, there is a legal move to play.
  singleMoveLine(&rootPv, root.moves[0]);
  if (t.rootMoveCount <= 1) {
    singleMoveLine(&t.pvLines[0], root.moves[0]);
    int threats = 0;
    rootScore = evaluate(board, -t.iterationDepth, -MATE, MATE, &threats);
    searchReporter->bestLine(t.pvLines[0], 1, rootScore);
  } else {
    startHelpers();
    deepen(t, std::min(maxDepth, MAX_ITERATION_DEPTH));
    stopRequested = 1;
    waitForHelpers();
    // Several lines are the main thread's alone.
    if (goLimits.multiPv <= 1) takeBestResult(t);
  }

  searchReporter->searchDone(elapsedMs(), searchedNodes());
  nextGeneration();
}

}  // namespace

int64_t searchElapsedMs() { return elapsedMs(); }

void reportRootMove(Move m, int index) {
  if (elapsedMs() >= CURRENT_MOVE_REPORT_MS) searchReporter->rootMove(m, index + 1);
}

int searchGo(const Board& board, const SearchLimits& limits) {
  stopRequested = 0;
  goLimits = limits;
  goMode = limits.ponder ? GoMode::Ponder : limits.infinite ? GoMode::Infinite : GoMode::Normal;
  searchStartMs = engineClockMs();
  resetPolling();
  SearchThread& main = searchThread(0);
  main.board.copyFrom(board);
  think(main, limits.depth);
  // Analysis and pondering answer only when the front end asks: "stop",
  // or "ponderhit" once the search is over.
  while (goMode != GoMode::Normal && !stopHeard) {
    sleepMs(WAIT_POLL_MS);
    hear(searchReporter->pollInput());
  }
  stopRequested = 1;
  return rootScore;
}

void ponderHit() {
  goMode = goLimits.infinite ? GoMode::Infinite : GoMode::Normal;
  const int64_t now = engineClockMs();
  setDeadlines(now);
  // The time spent pondering already covers the budget: answer now.
  const int64_t budget = goLimits.moveTimeMs >= 0 ? goLimits.moveTimeMs : goLimits.budgetMs;
  if (goLimits.timed() && now - searchStartMs >= budget) stopHeard = true;
}
