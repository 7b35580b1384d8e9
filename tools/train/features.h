// The inputs of the learned evaluation, as data/README.md defines them.
// Each side has its view of the board: in red's view a square keeps its
// number, in black's it becomes 89 - q (the board turned round). A piece's
// kind in a view is its type, plus 7 when it belongs to the other side;
// its input is kind * 90 + square.
#pragma once

#include <cstdint>

#include "train/records.h"

namespace net {

constexpr int INPUTS = 2 * PIECE_TYPES * SQUARES;  // 1260
constexpr int MOVER = 0, OTHER = 1;                // the two views of a position

struct Inputs {
  int count;                       // pieces on the board
  uint16_t index[2][MAX_PIECES];   // [MOVER or OTHER][piece]
};

int inputOf(int view, int piece, int square);  // view: 0 black, 1 red
void inputsOf(const Position& p, Inputs* in);
// Output bucket of a position with this many pieces: (pieces - 1) * B / 32.
inline int bucketOf(int pieces, int buckets) {
  return pieces < 1 ? 0 : (pieces - 1) * buckets / MAX_PIECES;
}

}  // namespace net
