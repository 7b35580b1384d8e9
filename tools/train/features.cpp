#include "train/features.h"

namespace net {

int inputOf(int view, int piece, int square) {
  const int owner = piece >= RED_PIECE ? 1 : 0;
  const int type = piece % RED_PIECE;
  const int kind = type + (owner == view ? 0 : PIECE_TYPES);
  const int seen = view == 1 ? square : SQUARES - 1 - square;
  return kind * SQUARES + seen;
}

void inputsOf(const Position& p, Inputs* in) {
  in->count = p.count;
  for (int i = 0; i < p.count; ++i) {
    in->index[MOVER][i] = static_cast<uint16_t>(inputOf(p.side, p.piece[i], p.square[i]));
    in->index[OTHER][i] = static_cast<uint16_t>(inputOf(1 - p.side, p.piece[i], p.square[i]));
  }
}

}  // namespace net
