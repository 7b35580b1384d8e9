// Principal-variation lines: one per ply in the Board, built bottom-up.
#include <algorithm>
#include <cstring>

#include "search/search.h"
#include "search/thread.h"

void updatePv(SearchThread& t, int ply, Move m, int value) {
  PvRecord& line = t.pvLines[ply];
  line.moves[0] = m;
  int tail = 0;
  if (ply + 1 < MAX_PLY) {
    const PvRecord& child = t.pvLines[ply + 1];
    tail = std::clamp(child.count, 0, MAX_PLY - ply - 1);
    std::memcpy(line.moves + 1, child.moves, sizeof(Move) * tail);
  }
  line.count = tail + 1;
  if (ply == 0) line.rootIndex = static_cast<int16_t>(value);
}

void copyPv(PvRecord* destination, const PvRecord& source) {
  const int count = std::clamp(source.count, 0, MAX_PLY);
  destination->count = count;
  destination->rootIndex = source.rootIndex;
  std::memmove(destination->moves, source.moves, sizeof(Move) * count);
}
