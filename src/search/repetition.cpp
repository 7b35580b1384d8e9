// Repetition over the reversible plies of the record stack, scored by the
// rules of the cycle.
#include <algorithm>

#include "board/board.h"
#include "config/evalscript.h"
#include "config/searchoptions.h"
#include "movegen/cycle.h"
#include "search/search.h"
#include "search/tuning.h"

int checkRepetition(Board& board, int ply, int* score, Move* move) {
  const PlyRecord* now = board.currentPly;
  // The walk never crosses a capture or null move, nor reaches the sentinel
  // records before the set-up position.
  const PlyRecord* limit = std::max<const PlyRecord*>(now[-1].lastCaptureRecord,
                                                      board.plyBase - 1);
  PlyRecord* repeat = nullptr;
  for (PlyRecord* p = board.currentPly - 4; p > limit; p -= 2) {
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
  const int plies = static_cast<int>(now - repeat);
  const CycleVerdict v = judgeCycle(board, plies,
                                    searchOptions.useChaseRule && plies <= CHASE_MAX_CYCLE_PLIES);
  if (v.loser == otherSide(board.sideToMove)) {
    *score = PERPETUAL - ply;
    return REP_CHECKED;
  }
  if (v.loser == board.sideToMove) {
    if (ply <= 0) return REP_NONE;
    *score = ply - PERPETUAL;
    return REP_CHECKING;
  }
  const int bias = ply % 2 == 0 ? evalScript.evalConstB : -evalScript.evalConstB;
  *score = searchOptions.drawnRepetition ? bias : now->incrementalScore / 2 + bias;
  return REP_PLAIN;
}

bool repeatsIntoDraw(Board& board, Move m) {
  if (board.makeMove(m)) return false;
  int score = 0;
  Move unused;
  const bool draw = checkRepetition(board, 1, &score, &unused) == REP_PLAIN;
  board.unmakeMove();
  return draw;
}
