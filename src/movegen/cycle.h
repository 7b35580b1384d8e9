// The rules of a repeated position: who, if anyone, loses a cycle of moves
// that returns to a position seen before.
//
// Each side is judged on its own moves in the cycle:
// - perpetual check: every one of its moves gave check;
// - perpetual chase: every one of its moves chased one and the same enemy
//   piece (checks among them or not). A move chases a piece when, after it,
//   another piece could take it that could not before (uncovered, freed
//   from a pin, or a defender just cut off), or the moved piece could and did
//   not merely slide along the line it already attacked the piece on. The
//   capture must be legal and the piece
//     - undefended (no legal recapture once it is taken), or
//     - a rook attacked by a horse or a cannon, defended or not.
//   A check that either side is in is left aside when captures and
//   recaptures are judged: it must be answered, and that says nothing about
//   the pieces. Attacks by the king or by pawns never chase; kings and pawns
//   that have not crossed the river are never chased; two pieces of one kind
//   that can take each other offer an exchange, not a chase.
// A side that breaks a rule loses the cycle when the other does not; when
// both do, the side that only checked loses to the side that chased (a
// perpetual check is the graver offence); otherwise the cycle is a draw.
#pragma once
#include "board/board.h"
#include "types.h"

enum CycleFault : uint8_t { FAULT_NONE = 0, FAULT_CHECK = 1, FAULT_CHASE = 2 };
constexpr int NO_LOSER = 2;

struct CycleVerdict {
  uint8_t fault[2];  // by side (BLACK, RED)
  int loser;         // BLACK, RED or NO_LOSER (a draw)
};

// Judges the cycle made by the last `plies` moves of the board's records: an
// even number of reversible moves ending in the position they started from.
// Without `chases` (or for a cycle of more than 64 plies) only checks are
// judged and the board is not touched; with it the cycle is replayed, and
// the board and its records are left exactly as they were.
CycleVerdict judgeCycle(Board& board, int plies, bool chases);
