// The learned evaluation's first layer as the board keeps it: one entry per
// height of the position stack, both sides' views. makeMove and the null
// move only mark the new height's entry stale; the evaluation brings an
// entry up to date when it needs one (eval/netscore.h), from a computed
// ancestor a few plies back or from scratch.
#pragma once

#include "board/tables.h"
#include "config/netfile.h"
#include "types.h"

// Entries by height modulo this (a power of two): above MAX_PLY, so the
// whole line of a search has entries of its own. Each entry keeps the height
// it was computed at, since a game's replay or a deeper line may have used
// the same entry for a height 128 above since.
constexpr int ACCUMULATOR_STACK = 128;
constexpr int ACCUMULATOR_MASK = ACCUMULATOR_STACK - 1;
static_assert((ACCUMULATOR_STACK & ACCUMULATOR_MASK) == 0 && ACCUMULATOR_STACK > MAX_PLY, "");
// The height of an entry that holds no position.
constexpr int32_t ACCUMULATOR_STALE = -1;

// H values per view (by side), the first H of each used.
struct alignas(64) Accumulator {
  int16_t view[2][NET_MAX_HIDDEN];
};

// The input of the piece `code` on `sq` in `view`'s view: its type, plus 7
// when it is the other side's, times 90, plus the square counted from
// black's back rank (turned round for black).
inline int netInput(int view, int code, int sq) {
  const int kind = PieceTypeOf[code] + (sideOfCode(code) == view ? 0 : PIECE_TYPE_COUNT);
  const int q = view == RED ? Square90[sq] : NET_SQUARES - 1 - Square90[sq];
  return kind * NET_SQUARES + q;
}
