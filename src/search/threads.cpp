// The pool of search threads: the main thread's record, and helpers that
// are started once, sleep on their wake-up signal between searches and
// report back on a shared one.
#include <algorithm>
#include <new>

#include "platform/platform.h"
#include "search/search.h"
#include "search/thread.h"

namespace {

struct Helper {
  SearchThread* record = nullptr;
  PlatformThread* thread = nullptr;
  WakeSignal* wake = nullptr;
  bool quit = false;  // written before a wake-up, read after it
};

SearchThread* mainRecord = nullptr;
Helper helpers[MAX_SEARCH_THREADS];
int helperCount = 0;
WakeSignal* helpersDone = nullptr;

void helperMain(void* arg) {
  Helper& h = *static_cast<Helper*>(arg);
  for (;;) {
    waitSignal(h.wake);
    if (h.quit) return;
    helperSearch(*h.record);
    raiseSignal(helpersDone);
  }
}

SearchThread* newRecord(int index) {
  SearchThread* t = new (std::nothrow) SearchThread;
  if (t != nullptr) t->init(index);
  return t;
}

bool startHelper(Helper& h, int index) {
  h.record = newRecord(index);
  h.wake = createSignal();
  h.quit = false;
  if (h.record != nullptr && h.wake != nullptr) h.thread = startThread(helperMain, &h);
  if (h.thread != nullptr) return true;
  if (h.wake != nullptr) freeSignal(h.wake);
  delete h.record;
  h = Helper{};
  return false;
}

void endHelper(Helper& h) {
  h.quit = true;
  raiseSignal(h.wake);
  joinThread(h.thread);
  freeSignal(h.wake);
  delete h.record;
  h = Helper{};
}

}  // namespace

void SearchThread::init(int threadIndex) {
  index = threadIndex;
  initPickers(frames, &board, &history);
  forgetOrdering(true);
  board.init();
}

void SearchThread::forgetOrdering(bool continuation) {
  historyClear(history, continuation);
  for (int ply = 0; ply < MAX_PLY; ++ply) picker(ply).clearKillers();
}

int setSearchThreads(int count) {
  count = std::clamp(count, 1, MAX_SEARCH_THREADS);
  searchThread(0);
  if (helpersDone == nullptr) helpersDone = createSignal();
  while (helperCount > count - 1) endHelper(helpers[--helperCount]);
  while (helperCount < count - 1 && helpersDone != nullptr &&
         startHelper(helpers[helperCount], helperCount + 1))
    ++helperCount;
  return helperCount + 1;
}

int searchThreadCount() { return helperCount + 1; }

SearchThread& searchThread(int i) {
  if (i > 0) return *helpers[i - 1].record;
  if (mainRecord == nullptr) mainRecord = newRecord(0);
  return *mainRecord;
}

void releaseSearchThreads() {
  while (helperCount > 0) endHelper(helpers[--helperCount]);
  if (helpersDone != nullptr) freeSignal(helpersDone);
  helpersDone = nullptr;
  delete mainRecord;
  mainRecord = nullptr;
}

void clearSearchMemory() {
  for (int i = 0; i < searchThreadCount(); ++i) searchThread(i).forgetOrdering(true);
}

void resetNodeCounts() {
  for (int i = 0; i < searchThreadCount(); ++i) {
    searchThread(i).nodes.store(0, std::memory_order_relaxed);
    searchThread(i).quiesceNodes.store(0, std::memory_order_relaxed);
  }
}

uint64_t searchedNodes() {
  uint64_t total = searchThread(0).totalNodes();
  for (int i = 0; i < helperCount; ++i) total += helpers[i].record->totalNodes();
  return total;
}

void startHelpers() {
  const SearchThread& main = searchThread(0);
  for (int i = 0; i < helperCount; ++i) {
    helpers[i].record->board.copyFrom(main.board);
    raiseSignal(helpers[i].wake);
  }
}

void waitForHelpers() {
  for (int i = 0; i < helperCount; ++i) waitSignal(helpersDone);
}
