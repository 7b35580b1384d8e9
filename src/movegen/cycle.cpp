// Judging a repetition cycle: perpetual check and perpetual chase.
#include "movegen/cycle.h"

#include <cstring>

#include "board/tables.h"
#include "movegen/movegen.h"

namespace {

// Longer cycles are judged on their checks alone: no side keeps up a chase
// through so many moves.
constexpr int MAX_CYCLE_PLIES = 64;

bool crossedRiver(int side, int sq) {
  return side == BLACK ? rankOf(sq) > 7 : rankOf(sq) < 8;
}

// Can the piece on `from` legally take what stands on `to`? With
// `checkAside`, a check its side is in now is left aside: an answer to a
// check must not seem to uncover every capture it makes possible, nor a
// check seem to cut off every defender.
bool canTake(Board& board, int side, int from, int to, bool checkAside) {
  const Move m = moveFromTo(from, to);
  return isPseudoLegal(board, side, m) && (checkAside || !board.leavesKingAttacked(m, side));
}

// After the piece on `from` takes on `to`: can the victim's side legally
// take back? The board is put back as it was.
bool defended(Board& board, int from, int to, bool checkAside) {
  const int piece = board.squares[from];
  const int victim = board.squares[to];
  const int side = sideOfCode(victim);
  board.pieceList[victim] = NO_SQUARE;
  board.pieceList[piece] = static_cast<uint8_t>(to);
  board.squares[to] = static_cast<uint8_t>(piece);
  board.squares[from] = EMPTY;
  board.toggleBits(from);
  Move replies[MAX_MOVES];
  const int n = generateMovesTo(board, to, side, replies, MASK_ALL);
  bool found = n > 0 && checkAside;
  for (int i = 0; i < n && !found; ++i) found = !board.leavesKingAttacked(replies[i], side);
  board.toggleBits(from);
  board.squares[from] = static_cast<uint8_t>(piece);
  board.squares[to] = static_cast<uint8_t>(victim);
  board.pieceList[piece] = static_cast<uint8_t>(from);
  board.pieceList[victim] = static_cast<uint8_t>(to);
  return found;
}

// The attacks of `side` that would chase, as a mask of attackers (bit =
// index within the side) for each enemy piece (by index within its side).
void chasingAttacks(Board& board, int side, uint16_t attackers[16]) {
  const int enemy = otherSide(side);
  const bool checked = board.attacksKing(enemy), checking = board.attacksKing(side);
  for (int v = 0; v < 16; ++v) {
    attackers[v] = 0;
    const int victim = sideBase(enemy) + v;
    const int to = board.pieceList[victim];
    const int victimType = PieceTypeOf[victim];
    if (to == NO_SQUARE || victimType == KING) continue;
    if (victimType == PAWN && !crossedRiver(enemy, to)) continue;
    for (int a = ADVISOR_INDEX; a < PAWN_INDEX; ++a) {
      const int attacker = sideBase(side) + a;
      const int from = board.pieceList[attacker];
      if (from == NO_SQUARE || !canTake(board, side, from, to, checked)) continue;
      const int attackerType = PieceTypeOf[attacker];
      if (attackerType == victimType && canTake(board, enemy, to, from, checking)) continue;
      const bool rookByMinor = victimType == ROOK && (attackerType == HORSE || attackerType == CANNON);
      if (rookByMinor || !defended(board, from, to, checking)) attackers[v] |= 1u << a;
    }
  }
}

// Enemy pieces the piece on `from` could reach from `to` with the position
// as it stands (its own square still taken), among `victims`.
uint16_t reachableFrom(Board& board, int from, int to, uint16_t victims) {
  const int piece = board.squares[from];
  const int enemy = otherSide(sideOfCode(piece));
  board.squares[to] = static_cast<uint8_t>(piece);
  board.toggleBits(to);
  uint16_t reached = 0;
  for (; victims != 0; victims &= victims - 1) {
    const int v = __builtin_ctz(victims);
    const Move capture = moveFromTo(to, board.pieceList[sideBase(enemy) + v]);
    if (isPseudoLegal(board, sideOfCode(piece), capture)) reached |= 1u << v;
  }
  board.toggleBits(to);
  board.squares[to] = EMPTY;
  return reached;
}

// Enemy pieces (a mask by index within their side) that the move chases: a
// piece some attack on which is new, or one the moved piece attacked before
// and attacks now along a fresh line (it did not merely slide along the line
// it attacked on). The move is made on the board.
uint16_t chasedBy(Board& board, Move m) {
  const int side = board.sideToMove;
  const int a = board.squares[m.from] & 15;
  uint16_t before[16], after[16];
  chasingAttacks(board, side, before);
  uint16_t attackedBefore = 0;
  for (int v = 0; v < 16; ++v)
    if (before[v] >> a & 1) attackedBefore |= 1u << v;
  const uint16_t kept = reachableFrom(board, m.from, m.to, attackedBefore);
  board.makeMove(m);
  chasingAttacks(board, side, after);
  uint16_t chased = 0;
  for (int v = 0; v < 16; ++v) {
    const bool renewed = (after[v] >> a & 1) && !(kept >> v & 1);
    if ((after[v] & ~before[v]) || renewed) chased |= 1u << v;
  }
  return chased;
}

}  // namespace

CycleVerdict judgeCycle(Board& board, int plies, bool chases) {
  PlyRecord* first = board.currentPly - plies;
  const int mover = board.sideToMove;  // makes the cycle's even moves
  bool allChecks[2] = {true, true};
  for (int i = 0; i < plies; ++i)
    if (!first[i].givesCheck) allChecks[i & 1] = false;
  uint16_t chased[2] = {0xFFFF, 0xFFFF};  // by cycle parity
  if (chases && plies <= MAX_CYCLE_PLIES) {
    PlyRecord saved[MAX_CYCLE_PLIES + 1];
    std::memcpy(saved, first, sizeof(PlyRecord) * (plies + 1));
    const uint32_t moving = board.movingPiece;
    for (int i = 0; i < plies; ++i) board.unmakeMove();
    // Once a side has chased no piece with every move so far, its other
    // moves need not be looked at.
    for (int i = 0; i < plies; ++i) {
      if (chased[i & 1] != 0)
        chased[i & 1] &= chasedBy(board, saved[i].move);
      else
        board.makeMove(saved[i].move);
    }
    std::memcpy(first, saved, sizeof(PlyRecord) * (plies + 1));
    board.movingPiece = moving;
  } else {
    chased[0] = chased[1] = 0;
  }
  CycleVerdict v;
  for (int p = 0; p < 2; ++p) {
    const int side = p == 0 ? mover : otherSide(mover);
    v.fault[side] = allChecks[p] ? FAULT_CHECK : chased[p] != 0 ? FAULT_CHASE : FAULT_NONE;
  }
  const int red = v.fault[RED], black = v.fault[BLACK];
  if (red == black)
    v.loser = NO_LOSER;
  else if (red == FAULT_NONE || black == FAULT_NONE)
    v.loser = red != FAULT_NONE ? RED : BLACK;
  else
    v.loser = red == FAULT_CHECK ? RED : BLACK;
  return v;
}
