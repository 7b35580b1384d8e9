#include "board/zobrist.h"

#include "board/tables.h"

ZobristKey zobristKind[PIECE_KIND_COUNT][256];
ZobristKey zobristPiece[32][256];

namespace {

// Park-Miller minimal standard generator, state starting at 1.
struct MinStd {
  uint32_t state = 1;
  uint32_t next() {
    state = static_cast<uint32_t>((uint64_t(state) * 16807u) % 2147483647u);
    return state;
  }
};

}  // namespace

void initZobrist() {
  MinStd rng;
  for (int kind = 0; kind < PIECE_KIND_COUNT; ++kind)
    for (int sq = 0; sq < 256; ++sq) {
      if (!InBoard[sq]) {
        zobristKind[kind][sq] = 0;
        continue;
      }
      uint64_t high = rng.next();
      uint64_t low = rng.next();
      zobristKind[kind][sq] = (high << 32) | low;
    }
  for (int code = 0; code < 32; ++code)
    for (int sq = 0; sq < 256; ++sq)
      zobristPiece[code][sq] = zobristKind[PieceKindOf[code]][sq];
}
