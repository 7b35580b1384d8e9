// Repetition and perpetual check over the reversible plies of the record
// stack.
#include <algorithm>

#include "board/board.h"
#include "config/evalscript.h"
#include "search/search.h"

int checkRepetition(const Board& board, int ply, int* score, Move* move) {
  const PlyRecord* now = board.currentPly;
  bool ownChecked = now[-1].givesCheck != 0;  // the opponent's last move checked us
  bool oppChecked = now[-2].givesCheck != 0;  // our own last move gave check
  // The walk never crosses a capture or null move, nor reaches the sentinel
  // records before the set-up position.
  const PlyRecord* limit = std::max<const PlyRecord*>(now[-1].lastCaptureRecord,
                                                      board.plyBase - 1);
  const PlyRecord* repeat = nullptr;
  for (const PlyRecord* p = now - 4; p > limit; p -= 2) {
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
  if (ownChecked) {
    *score = PERPETUAL - ply;
    return REP_CHECKED;
  }
  if (oppChecked) {
    if (ply <= 0) return REP_NONE;
    *score = ply - PERPETUAL;
    return REP_CHECKING;
  }
  const int bias = ply % 2 == 0 ? evalScript.evalConstB : -evalScript.evalConstB;
  *score = now->incrementalScore / 2 + bias;
  return REP_PLAIN;
}
