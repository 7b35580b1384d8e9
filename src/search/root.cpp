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

int rootMoveCount = 0;

void orderRootMoves(MovePicker& root, int count, Move hashMove) {
  const int bonus = static_cast<int>(ROOT_HASH_MOVE_BONUS * pieceValue[ROOK]);
  for (int i = 0; i < count; ++i) {
    Move& m = root.moves[i];
    if (sameMove(m, hashMove))
      m.score = static_cast<int16_t>(std::min(m.score + bonus, HASH_MOVE_SCORE));
  }
  sortMoves(root.moves, 0, count);
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

void creditRootMove(Board& board, MovePicker& root, Move best, int bound, int depth,
                    int lastGain) {
  if (bound == BOUND_UPPER) return;
  if (!isQuiet(board, best)) {
    Move scored = best;
    if (scoreCapture(board, &scored) >= goodCaptureThreshold) return;
  }
  if (bound == BOUND_LOWER)
    markTriedMoves(root);
  else if (lastGain > evalScript.rookMarginSmall)
    root.searchMove = best;
  historyGood(board, best);
  historyAdd(board, depth, best);
}

}  // namespace

int searchRoot(Board& board, int depth, int alpha, int beta) {
  if (searchMustStop()) return -MATE;
  const int side = board.sideToMove;
  if (board.attacksKing(side)) {
    Move capture = NULL_MOVE;
    if (alpha < MATE && MATE < beta && board.findKingCapture(side, &capture)) {
      board.pvLines[0].count = 1;
      board.pvLines[0].moves[0] = capture;
    }
    return MATE;
  }
  if (depth <= 0 && !board.inCheck()) {
    checkPlyLimit = 0;
    const int s = quiesce(board, 0, alpha, beta);
    if (alpha < s && s < beta) board.pvLines[0].count = 0;
    return s;
  }

  ++nodeCount;
  int best = -MATE;
  if (beta <= -MATE) return best;
  // No repetition test here: the position on the board has to be answered
  // with a move whatever its history.
  const int entryAlpha = alpha;
  if (alpha < -MATE) alpha = -MATE;
  Move hashMove = NULL_MOVE;
  int code = 0;
  probeHash(board, 0, depth, alpha, beta, &hashMove, &code, false);
  const bool inCheck = board.inCheck();
  board.pvLines[1].count = 0;

  MovePicker& root = *pickerAt(0);
  orderRootMoves(root, rootMoveCount, hashMove);
  Move bestMove = NULL_MOVE;
  int lastGain = 0;
  for (int i = 0; i < rootMoveCount; ++i) {
    Move& m = root.moves[i];
    timeManager.rootMoveIndex = i;
    if (board.makeMove(m)) {
      m.score = -MATE;
      continue;
    }
    const int newDepth = rootNewDepth(board, root, m, depth, alpha, beta, inCheck);
    int v;
    if (searchOptions.usePvs && best > -MATE_BOUND) {
      v = -alphaBeta(board, 1, newDepth, -alpha - 1, -alpha, 1);
      if (alpha < v && v < beta) {
        timeManager.failHighSeen = 1;
        timeManager.easyMove = 0;
        timeManager.stopNow = 0;
        v = -alphaBeta(board, 1, newDepth, -beta, -alpha, 0);
      }
    } else {
      v = -alphaBeta(board, 1, newDepth, -beta, -alpha, 0);
    }
    board.unmakeMove();
    if (stopRequested) return -MATE;
    m.score = static_cast<int16_t>(v > alpha ? std::min(v, beta) : entryAlpha);
    if (v <= best) continue;
    if (best == -MATE || v > alpha) timeManager.rootMoveScored(iterationDepth, v);
    lastGain = v - best;
    best = v;
    bestMove = m;
    if (v >= beta) {
      // A narrowed window failed high: this move is the one to play should
      // the search stop before the wider window has confirmed it.
      if (beta < MATE) {
        board.pvLines[1].count = 0;
        updatePv(board, 0, m, i);
      }
      break;
    }
    if (v > alpha) {
      alpha = v;
      updatePv(board, 0, m, i);
      if (searchOptions.printNewBest &&
          (iterationDepth > searchOptions.printMinDepth || v >= MATE_BOUND)) {
        copyPv(&rootPv, board.pvLines[0]);
        rootScore = best;
        searchReporter->bestLine(board.pvLines[0], iterationDepth, v);
      }
    }
  }

  if (best <= -MATE) {
    if (best > entryAlpha) board.pvLines[0].count = 0;
    return best;
  }
  const int bound = best <= entryAlpha ? BOUND_UPPER : best >= beta ? BOUND_LOWER : BOUND_EXACT;
  creditRootMove(board, root, bestMove, bound, depth, lastGain);
  if (depth >= 1 && (std::abs(best) < MATE_BOUND || std::abs(best) > PERPETUAL))
    storeHash(board, 0, depth, best, bound, bestMove);
  return best;
}
