#include "board/lines.h"

#include <algorithm>

uint16_t RowMask[256];
uint16_t ColMask[256];
LineEntry RowLines[16][512];
LineMaskEntry RowLineMasks[16][512];
LineEntry ColLines[16][1024];
LineMaskEntry ColLineMasks[16][1024];

namespace {

// Fills one entry for the piece at index i (0-based) of a line of `len`
// positions with pattern b; `pos(j)` turns an index into the stored
// position and `steps(a, b)` a position difference into line steps.
template <typename Pos, typename Steps>
void fillEntry(int i, int len, unsigned b, Pos pos, Steps steps, LineEntry& e,
               LineMaskEntry& m) {
  const uint8_t p = pos(i);
  e = LineEntry{p, p, p, p, 0, p, p, 0, p, p};
  m = LineMaskEntry{0, 0, 0, 0};
  for (int dir = 1; dir >= -1; dir -= 2) {
    uint8_t* lastEmpty = dir > 0 ? &e.lastEmptyHigh : &e.lastEmptyLow;
    uint8_t* found[3] = {dir > 0 ? &e.firstHigh : &e.firstLow,
                         dir > 0 ? &e.secondHigh : &e.secondLow,
                         dir > 0 ? &e.thirdHigh : &e.thirdLow};
    uint16_t* masks[3] = {&m.firstMask, &m.secondMask, &m.thirdMask};
    int seen = 0;
    for (int j = i + dir; j >= 0 && j < len && seen < 3; j += dir) {
      if (b & (1u << j)) {
        *found[seen] = pos(j);
        *masks[seen] |= static_cast<uint16_t>(1u << j);
        ++seen;
      } else if (seen == 0) {
        *lastEmpty = pos(j);
        m.emptyMask |= static_cast<uint16_t>(1u << j);
      }
    }
  }
  e.emptySpan = static_cast<int16_t>(steps(e.lastEmptyHigh, e.lastEmptyLow) - 1);
  e.span = static_cast<int16_t>(
      std::max<int>(e.emptySpan, steps(e.secondHigh, e.secondLow) - 1));
}

}  // namespace

void buildLineTables() {
  for (int sq = 0; sq < 256; ++sq) {
    int r = rankOf(sq), f = fileOf(sq);
    bool on = r >= RANK_TOP && r <= RANK_BOTTOM && f >= FILE_LEFT && f <= FILE_RIGHT;
    RowMask[sq] = on ? static_cast<uint16_t>(1u << (f - FILE_LEFT)) : 0;
    ColMask[sq] = on ? static_cast<uint16_t>(1u << (r - RANK_TOP)) : 0;
  }
  auto rowPos = [](int j) { return static_cast<uint8_t>(j + 3); };
  auto rowSteps = [](int a, int b) { return a - b; };
  for (int i = 0; i < 9; ++i)
    for (unsigned b = 0; b < 512; ++b)
      fillEntry(i, 9, b, rowPos, rowSteps, RowLines[i + 3][b], RowLineMasks[i + 3][b]);

  auto colPos = [](int j) { return static_cast<uint8_t>((j + 3) * 16); };
  auto colSteps = [](int a, int b) { return (a - b) >> 4; };
  for (int i = 0; i < 10; ++i)
    for (unsigned b = 0; b < 1024; ++b)
      fillEntry(i, 10, b, colPos, colSteps, ColLines[i + 3][b], ColLineMasks[i + 3][b]);
}
