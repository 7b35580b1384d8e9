// Repetition, perpetual check and perpetual chase over the reversible plies
// of the record stack.
#include <algorithm>
#include <cstring>

#include "board/board.h"
#include "board/tables.h"
#include "config/evalscript.h"
#include "config/searchoptions.h"
#include "movegen/movegen.h"
#include "movegen/see.h"
#include "search/search.h"
#include "search/tuning.h"

namespace {

// Enemy pieces (by index bit) the piece on `from` can take, kings and pawns
// aside: those are never chased.
uint32_t targetsFrom(const Board& board, int from) {
  const int side = sideOfCode(board.squares[from]);
  const int enemy = otherSide(side);
  uint32_t targets = 0;
  for (int i = sideBase(enemy) + 1; i <= lastIndex(enemy); ++i) {
    const int sq = board.pieceList[i];
    if (sq == NO_SQUARE || PieceTypeOf[i] == PAWN) continue;
    if (isPseudoLegal(board, side, moveFromTo(from, sq))) targets |= 1u << i;
  }
  return targets;
}

// Of the targets of the piece just moved to `to`, those it threatens to win:
// the victim cannot take it back, and the capture wins at least
// CHASE_MIN_GAIN once both sides have recaptured.
uint32_t threatenedFrom(Board& board, int to, uint32_t targets) {
  const int victimSide = otherSide(sideOfCode(board.squares[to]));
  uint32_t threatened = 0;
  for (; targets != 0; targets &= targets - 1) {
    const int i = __builtin_ctz(targets);
    const int sq = board.pieceList[i];
    if (isPseudoLegal(board, victimSide, moveFromTo(sq, to))) continue;
    if (staticExchange(board, moveFromTo(to, sq)) >= CHASE_MIN_GAIN) threatened |= 1u << i;
  }
  return threatened;
}

// Replays the cycle from `repeat` to the current position and tells whether
// each side chased one enemy piece with every move it made in it: each of
// its moves newly threatened to win that piece. A cycle longer than
// CHASE_MAX_CYCLE_PLIES is no chase. The board and its records are left
// exactly as they were.
void findChases(Board& board, PlyRecord* repeat, bool* usChase, bool* themChase) {
  const int plies = static_cast<int>(board.currentPly - repeat);
  if (plies > CHASE_MAX_CYCLE_PLIES) return;
  PlyRecord saved[CHASE_MAX_CYCLE_PLIES + 1];
  std::memcpy(saved, repeat, sizeof(PlyRecord) * (plies + 1));
  const uint32_t moving = board.movingPiece;
  for (int i = 0; i < plies; ++i) board.unmakeMove();
  uint32_t chased[2] = {~0u, ~0u};  // [0]: the side to move now
  for (int i = 0; i < plies; ++i) {
    const Move m = saved[i].move;
    const uint32_t before = targetsFrom(board, m.from);
    board.makeMove(m);
    chased[i & 1] &= threatenedFrom(board, m.to, targetsFrom(board, m.to) & ~before);
  }
  std::memcpy(repeat, saved, sizeof(PlyRecord) * (plies + 1));
  board.movingPiece = moving;
  *usChase = chased[0] != 0;
  *themChase = chased[1] != 0;
}

}  // namespace

int checkRepetition(Board& board, int ply, int* score, Move* move) {
  const PlyRecord* now = board.currentPly;
  bool ownChecked = now[-1].givesCheck != 0;  // the opponent's last move checked us
  bool oppChecked = now[-2].givesCheck != 0;  // our own last move gave check
  // The walk never crosses a capture or null move, nor reaches the sentinel
  // records before the set-up position.
  const PlyRecord* limit = std::max<const PlyRecord*>(now[-1].lastCaptureRecord,
                                                      board.plyBase - 1);
  PlyRecord* repeat = nullptr;
  for (PlyRecord* p = board.currentPly - 4; p > limit; p -= 2) {
    if (!p[1].givesCheck) ownChecked = false;
    if (!p->givesCheck) oppChecked = false;
    if (p->zobrist == now->zobrist) {
      repeat = p;
      break;
    }
  }
  if (repeat == nullptr) {
    *move = NULL_MOVE;
    return REP_NONE;
  }
  *move = repeat->move;
  bool usChase = false, themChase = false;
  if (searchOptions.useChaseRule && !ownChecked && !oppChecked)
    findChases(board, repeat, &usChase, &themChase);
  if (ownChecked || (themChase && !usChase)) {
    *score = PERPETUAL - ply;
    return REP_CHECKED;
  }
  if (oppChecked || (usChase && !themChase)) {
    if (ply <= 0) return REP_NONE;
    *score = ply - PERPETUAL;
    return REP_CHECKING;
  }
  const int bias = ply % 2 == 0 ? evalScript.evalConstB : -evalScript.evalConstB;
  *score = searchOptions.drawnRepetition ? bias : now->incrementalScore / 2 + bias;
  return REP_PLAIN;
}
