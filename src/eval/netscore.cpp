#include "eval/netscore.h"

#include <algorithm>

#include "board/board.h"
#include "config/netfile.h"
#include "eval/netkernels.h"

namespace {

inline const int16_t* rowOf(int view, int code, int sq) {
  return network.weight + netInput(view, code, sq) * network.hidden;
}

// From scratch: the bias plus the row of every piece on the board.
void refresh(const Board& b, Accumulator& acc) {
  const int16_t* rows[2][32];
  int count = 0;
  for (int piece = 0; piece < 32; ++piece) {
    const int sq = b.pieceList[piece];
    if (sq == NO_SQUARE) continue;
    rows[BLACK][count] = rowOf(BLACK, piece, sq);
    rows[RED][count] = rowOf(RED, piece, sq);
    ++count;
  }
  for (int view = BLACK; view <= RED; ++view)
    netKernels.accumulate(acc.view[view], network.bias, rows[view], count, nullptr, 0,
                          network.hidden);
}

// The entry at height h from the one at height `from` below it: the moves
// made in between, each the moved piece's row off its from-square and onto
// its to-square and the captured piece's row off.
void replay(const Board& b, int from, int h, Accumulator& acc) {
  const int16_t* adds[2][NET_REPLAY_PLIES_MAX];
  const int16_t* subs[2][2 * NET_REPLAY_PLIES_MAX];
  int addCount = 0, subCount = 0;
  for (int p = from; p < h; ++p) {
    const PlyRecord& r = b.plyBase[p];
    if (isNullMove(r.move)) continue;
    for (int view = BLACK; view <= RED; ++view) {
      adds[view][addCount] = rowOf(view, r.movedCode, r.move.to);
      subs[view][subCount] = rowOf(view, r.movedCode, r.move.from);
      if (r.capturedCode != EMPTY)
        subs[view][subCount + 1] = rowOf(view, r.capturedCode, r.move.to);
    }
    ++addCount;
    subCount += r.capturedCode != EMPTY ? 2 : 1;
  }
  const Accumulator& source = b.accumulators[from & ACCUMULATOR_MASK];
  for (int view = BLACK; view <= RED; ++view)
    netKernels.accumulate(acc.view[view], source.view[view], adds[view], addCount, subs[view],
                          subCount, network.hidden);
}

}  // namespace

const Accumulator& currentAccumulator(const Board& b) {
  const int h = b.height();
  Accumulator& acc = b.accumulators[h & ACCUMULATOR_MASK];
  int32_t& height = b.accumulatorHeight[h & ACCUMULATOR_MASK];
  if (height == h) return acc;
  int from = h - 1;
  const int oldest = std::max(0, h - NET_REPLAY_PLIES_MAX);
  while (from >= oldest && b.accumulatorHeight[from & ACCUMULATOR_MASK] != from) --from;
  if (from >= oldest)
    replay(b, from, h, acc);
  else
    refresh(b, acc);
  height = h;
  return acc;
}

int networkScore(const Board& b, int limit) {
  const Accumulator& acc = currentAccumulator(b);
  const int side = b.sideToMove;
  const int bucket = network.bucketOfPieces[__builtin_popcount(b.currentPly->materialSignature)];
  const int hidden = network.hidden;
  const uint32_t sum = static_cast<uint32_t>(network.outBias[bucket]) +
                       static_cast<uint32_t>(netKernels.output(
                           acc.view[side], acc.view[otherSide(side)],
                           network.outWeight + bucket * 2 * hidden, hidden));
  const int64_t score =
      static_cast<int64_t>(static_cast<int32_t>(sum)) * network.outputScale / (NET_QA * NET_QB);
  return static_cast<int>(std::clamp<int64_t>(score, -limit, limit));
}
