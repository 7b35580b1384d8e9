// The root search: every legal root move in the order of the last
// iteration, a score kept for each, and every new best move reported.
#include <algorithm>
#include <cstdlib>

#include "board/board.h"
#include "board/tables.h"
#include "config/evalscript.h"
#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "eval/evaluate.h"
#include "movegen/captureorder.h"
#include "movegen/history.h"
#include "movegen/movegen.h"
#include "movegen/picker.h"
#include "search/hash/tt.h"
#include "search/poll.h"
#include "search/report.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "search/thread.h"

void orderRootMoves(MovePicker& root, int first, int count, Move hashMove) {
  const int bonus = static_cast<int>(ROOT_HASH_MOVE_BONUS * pieceValue[ROOK]);
  for (int i = first; i < count; ++i) {
    Move& m = root.moves[i];
    if (sameMove(m, hashMove))
      m.score = static_cast<int16_t>(std::min(m.score + bonus, HASH_MOVE_SCORE));
  }
  sortMoves(root.moves, first, count);
}

namespace {

bool capturedWithGain(int code) { return code != EMPTY && CaptureGain[PieceTypeOf[code]] != 0; }

int rootNewDepth(Board& board, const MovePicker& root, Move m, int depth, int alpha,
                 int beta, bool inCheck) {
  if (inCheck) return depth;
  // An exchange: the move that led here and this one both took something.
  if (searchOptions.useCaptureExtension && capturedWithGain(board.currentPly[-2].capturedCode) &&
      capturedWithGain(board.currentPly[-1].capturedCode))
    return depth;
  if (searchOptions.useGainExtension && root.stage < PICKER_STAGE_GENERATE_QUIETS &&
      beta - alpha >= (evalScript.rookMarginSmall >> 1) && sameMove(m, root.searchMove))
    return depth;
  return depth - 1;
}

void creditRootMove(SearchThread& t, MovePicker& root, Move best, int bound, int depth,
                    int lastGain) {
  const Board& board = t.board;
  if (bound == BOUND_UPPER) return;
  if (!isQuiet(board, best)) {
    Move scored = best;
    if (scoreCapture(board, &scored) >= goodCaptureThreshold) return;
  }
  if (bound == BOUND_LOWER)
    markTriedMoves(t.history, root);
  else if (lastGain > evalScript.rookMarginSmall)
    root.searchMove = best;
  historyGood(t.history, board, best);
  historyAdd(t.history, board, depth, best);
}

}  // namespace

int searchRoot(SearchThread& t, int depth, int alpha, int beta) {
  Board& board = t.board;
  if (searchMustStop(t)) return -MATE;
  const int side = board.sideToMove;
  if (board.attacksKing(side)) {
    Move capture = NULL_MOVE;
    if (alpha < MATE && MATE < beta && board.findKingCapture(side, &capture)) {
      t.pvLines[0].count = 1;
      t.pvLines[0].moves[0] = capture;
    }
    return MATE;
  }
  if (depth <= 0 && !board.inCheck()) {
    t.checkPlyLimit = 0;
    const int s = quiesce(t, 0, alpha, beta);
    if (alpha < s && s < beta) t.pvLines[0].count = 0;
    return s;
  }

  t.countNode();
  int best = -MATE;
  if (beta <= -MATE) return best;
  // No repetition test here: the position on the board has to be answered
  // with a move whatever its history.
  const int entryAlpha = alpha;
  if (alpha < -MATE) alpha = -MATE;
  Move hashMove = NULL_MOVE;
  HashProbe code = HASH_MISS;
  probeHash(board, 0, depth, alpha, beta, &hashMove, &code, false);
  const bool inCheck = board.inCheck();
  t.pvLines[1].count = 0;

  MovePicker& root = t.picker(0);
  orderRootMoves(root, t.rootFirst, t.rootMoveCount, hashMove);
  Move bestMove = NULL_MOVE;
  int lastGain = 0;
  // Only the main thread keeps the clock and reports, and only its search
  // of the best line feeds the clock and gives the answer so far.
  const bool main = t.isMain();
  const bool firstLine = t.rootFirst == 0;
  for (int i = t.rootFirst; i < t.rootMoveCount; ++i) {
    Move& m = root.moves[i];
    if (main) {
      timeManager.rootMoveIndex = i;
      reportRootMove(m, i);
    }
    if (board.makeMove(m)) {
      m.score = -MATE;
      continue;
    }
    const int newDepth = rootNewDepth(board, root, m, depth, alpha, beta, inCheck);
    int v;
    if (searchOptions.usePvs && best > -MATE_BOUND) {
      v = -alphaBeta(t, 1, newDepth, -alpha - 1, -alpha, CUT_NODE);
      if (alpha < v && v < beta) {
        if (main && firstLine) {
          timeManager.failHighSeen = 1;
          timeManager.easyMove = 0;
          timeManager.stopNow = 0;
        }
        v = -alphaBeta(t, 1, newDepth, -beta, -alpha, PV_NODE);
      }
    } else {
      v = -alphaBeta(t, 1, newDepth, -beta, -alpha, PV_NODE);
    }
    board.unmakeMove();
    if (stopRequested) return -MATE;
    m.score = static_cast<int16_t>(v > alpha ? std::min(v, beta) : entryAlpha);
    if (v <= best) continue;
    if (main && firstLine && (best == -MATE || v > alpha)) timeManager.rootMoveScored(t.iterationDepth, v);
    lastGain = v - best;
    best = v;
    bestMove = m;
    if (v >= beta) {
      // A narrowed window failed high: this move is the one to play should
      // the search stop before the wider window has confirmed it.
      if (beta < MATE) {
        t.pvLines[1].count = 0;
        updatePv(t, 0, m, i);
      }
      break;
    }
    if (v > alpha) {
      alpha = v;
      updatePv(t, 0, m, i);
      if (main && firstLine && searchOptions.printNewBest &&
          (t.iterationDepth > searchOptions.printMinDepth || v >= MATE_BOUND)) {
        copyPv(&rootPv, t.pvLines[0]);
        rootScore = best;
        searchReporter->bestLine(t.pvLines[0], t.iterationDepth, v);
      }
    }
  }

  if (best <= -MATE) {
    if (best > entryAlpha) t.pvLines[0].count = 0;
    return best;
  }
  const int bound = best <= entryAlpha ? BOUND_UPPER : best >= beta ? BOUND_LOWER : BOUND_EXACT;
  creditRootMove(t, root, bestMove, bound, depth, lastGain);
  // A later line's search leaves out better moves: not the root's score.
  if (depth >= 1 && firstLine && (std::abs(best) < MATE_BOUND || std::abs(best) > PERPETUAL))
    storeHash(board, 0, depth, best, bound, bestMove);
  return best;
}
