// One search thread's own state. Only the transposition table and the stop
// flag are shared between threads; everything else a search touches is here.
#pragma once

#include <atomic>
#include <cstdint>

#include "board/board.h"
#include "movegen/history.h"
#include "movegen/picker.h"
#include "types.h"

struct SearchThread {
  Board board;  // the thread's copy of the root position
  // The per-ply stack: the picker frames (with the killers, capture killers
  // and search move of each ply), the best line below each ply, and the
  // static score of the node on the current line at each ply.
  MovePicker frames[PICKER_FRAMES];
  PvRecord pvLines[MAX_PLY];
  int staticScores[MAX_PLY + 2];
  HistoryTables history;
  // Written by this thread only; read by the main thread for reports and
  // the node limit.
  std::atomic<uint64_t> nodes{0};
  std::atomic<uint64_t> quiesceNodes{0};
  int iterationDepth = 0;
  int checkPlyLimit = 0;  // the ply that last handed over to the quiescence search
  int rootMoveCount = 0;  // legal root moves in frame 0, for this go
  int index = 0;          // 0: the main thread
  int rootFirst = 0;      // root moves before this one are already another line's
  int selDepth = 0;       // deepest ply reached in the iteration
  // The last iteration this thread completed, for the choice of the answer.
  PvRecord bestLine;
  int bestScore = 0;
  int completedDepth = 0;

  MovePicker& picker(int ply) { return frames[PICKER_SENTINEL_FRAMES + ply]; }
  const MovePicker& picker(int ply) const { return frames[PICKER_SENTINEL_FRAMES + ply]; }
  bool isMain() const { return index == 0; }
  // Links the picker frames to the board and history (after allocation).
  void init(int threadIndex);
  // Forgets the move-ordering memory: the history (with `continuation`, the
  // continuation history too) and every ply's killers.
  void forgetOrdering(bool continuation);
  void reach(int ply) {
    if (ply > selDepth) selDepth = ply;
  }
  void countNode() {
    nodes.store(nodes.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  }
  void countQuiesceNode() {
    quiesceNodes.store(quiesceNodes.load(std::memory_order_relaxed) + 1,
                       std::memory_order_relaxed);
  }
  uint64_t nodeCount() const { return nodes.load(std::memory_order_relaxed); }
  uint64_t totalNodes() const {
    return nodes.load(std::memory_order_relaxed) + quiesceNodes.load(std::memory_order_relaxed);
  }
};

// ---- the threads of the search: the caller of searchGo is the main
// thread (record 0); helpers are started once and sleep between searches.
constexpr int MAX_SEARCH_THREADS = 128;
// Sets the number of threads (1..MAX_SEARCH_THREADS, clamped), starting or
// ending helpers; returns the number the system could give.
int setSearchThreads(int count);
int searchThreadCount();
// The record of thread i (0: the main thread's, made on first use).
SearchThread& searchThread(int i);
// Ends every helper and releases every record (at "quit").
void releaseSearchThreads();
// Forgets the move-ordering memory of every thread ("newgame").
void clearSearchMemory();
// Nodes of every thread in the running (or last) search; zeroed by the main
// thread before a search, while the helpers sleep.
uint64_t searchedNodes();
void resetNodeCounts();
// Wakes every helper to search a copy of the main thread's board with
// helperSearch; waitForHelpers returns once all of them are asleep again.
void startHelpers();
void waitForHelpers();
