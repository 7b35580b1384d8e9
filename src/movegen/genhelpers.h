// Small building blocks shared by the generators (internal to movegen/).
#pragma once

#include <cstring>

#include "board/board.h"
#include "board/movelists.h"
#include "board/tables.h"
#include "movegen/movegen.h"

namespace gen {

inline const LineMoveRecord& rowRecord(const Board& b, int sq) {
  return RowMoves[sq][b.bitRows[rankOf(sq)]];
}
inline const LineMoveRecord& colRecord(const Board& b, int sq) {
  return ColMoves[sq][b.bitCols[fileOf(sq)]];
}

// Appends a line capture unless its square holds a piece of `side` (which
// includes "none", where the square is the mover's own).
inline void addUnlessOwn(const Board& b, int side, const LineCapture& c, Move* buf, int& n) {
  if (sideOfCode(b.squares[c.square]) != side) buf[n++] = c.move;
}
// Appends a line capture only when its square holds a piece of `enemy`.
inline void addIfEnemy(const Board& b, int enemy, const LineCapture& c, Move* buf, int& n) {
  if (sideOfCode(b.squares[c.square]) == enemy) buf[n++] = c.move;
}
inline void addSlides(const LineMoveRecord& r, Move* buf, int& n) {
  // quietMoves is null when quietCount is 0; copy nothing then.
  if (r.quietCount) std::memcpy(buf + n, r.quietMoves, sizeof(Move) * r.quietCount);
  n += r.quietCount;
}
inline void add(Move* buf, int& n, int from, int to) {
  buf[n].from = static_cast<uint8_t>(from);
  buf[n].to = static_cast<uint8_t>(to);
  buf[n].score = 0;
  ++n;
}

inline int typeAt(const Board& b, int sq) { return PieceTypeOf[b.squares[sq]]; }
// Is there a piece of `side` of this type on sq (sq a playing square or
// the frame around it)?
inline bool isPiece(const Board& b, int sq, int side, int type) {
  const int code = b.squares[sq];
  return sideOfCode(code) == side && PieceTypeOf[code] == type;
}

}  // namespace gen
