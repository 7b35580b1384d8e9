// Pieces of the king-safety term shared by its files.
#pragma once

#include "board/board.h"
#include "board/tables.h"

namespace kingsafety {

inline bool holds(const Board& b, int sq, int side, int type) {
  const int code = b.squares[sq];
  return sideOfCode(code) == side && PieceTypeOf[code] == type;
}

// One attacker's running threat count and score against the other king.
struct Attack {
  int attacker;
  int defender;
  int advisorClass;
  int threats;
  int score;
};

// Cannon rules for a defender whose king is at home behind both advisors in
// class 1, 2 or 3.
void specialCannons(const Board& b, Attack* a);
// Cannons bearing on the king from the approach squares, then the pieces
// behind the king's file.
void generalCannons(const Board& b, Attack* a);

}  // namespace kingsafety
