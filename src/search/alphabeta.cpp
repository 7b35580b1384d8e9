// The principal-variation search below the root: mate-distance bounds,
// repetitions, table cut-offs, the null move with its endgame verification,
// internal iterative deepening, extensions and late-move reductions.
#include <algorithm>
#include <cstdlib>

#include "board/board.h"
#include "config/evalscript.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"
#include "movegen/captureorder.h"
#include "movegen/history.h"
#include "movegen/movegen.h"
#include "movegen/picker.h"
#include "movegen/see.h"
#include "search/hash/tt.h"
#include "search/pruning.h"
#include "search/poll.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "search/thread.h"

namespace {

int boundOf(int score, int alpha, int beta) {
  return score <= alpha ? BOUND_UPPER : score >= beta ? BOUND_LOWER : BOUND_EXACT;
}

// Depth 0 (out of check) or the ply limit: the quiescence search decides.
int leafScore(SearchThread& t, int ply, int depth, int alpha, int beta) {
  t.checkPlyLimit = ply;
  const int s = quiesce(t, ply, alpha, beta);
  if (searchOptions.storeLeafScores && ply < t.iterationDepth)
    storeHash(t.board, ply, depth < 0 ? depth : 0, s, boundOf(s, alpha, beta), NULL_MOVE);
  if (alpha < s && s < beta) t.pvLines[ply].count = 0;
  return s;
}

int sideMaterial(const Board& board) {
  const uint32_t signature = board.currentPly->materialSignature;
  return nullMoveMaterial[board.sideToMove == RED ? signature >> 16 : signature & 0xFFFF];
}

bool nullMoveAllowed(const SearchThread& t, int ply, int depth, int alpha, int beta,
                     int nodeType, int staticScore) {
  const Board& board = t.board;
  if (!searchOptions.useNullMove || nodeType == PV_NODE || beta >= MATE_BOUND) return false;
  if (board.inCheck() || board.currentPly[-2].givesCheck) return false;
  if (depth < searchOptions.nullMoveMinDepth) return false;
  if (gamePhase >= ENDGAME_PHASE && sideMaterial(board) <= NULL_MOVE_MATERIAL_LIMIT)
    return false;
  if (searchOptions.nullMoveAdaptive)
    return staticScore >= beta && !isNullMove(board.currentPly[-1].move);
  if (depth > NULL_MOVE_EVAL_DEPTH) {
    int threats = 0;
    if (evaluate(board, ply - t.iterationDepth, alpha, beta, &threats) < beta) return false;
  }
  return true;
}

// Plies the null move's search is shallower than the node: fixed in the
// first design; growing with the depth and the static margin over beta.
int nullMoveCut(int depth, int staticScore, int beta) {
  if (!searchOptions.nullMoveAdaptive) return NULL_MOVE_DEPTH_CUT;
  const int divisor = std::max<int>(searchOptions.nullMoveEvalDivisor, 1);
  return NULL_MOVE_DEPTH_CUT + depth / NULL_MOVE_DEPTH_DIVISOR +
         std::min((staticScore - beta) / divisor, NULL_MOVE_MAX_MARGIN_PLIES);
}

// Tries the null move. Returns true with *cutScore when the node fails high;
// otherwise sets *threat from what the opponent's free move achieved.
bool tryNullMove(SearchThread& t, int ply, int depth, int alpha, int beta, int nodeType,
                 int cut, Move hashMove, int* threat, int* cutScore) {
  Board& board = t.board;
  board.makeNullMove();
  int v = -alphaBeta(t, ply + 1, depth - cut, -beta, 1 - beta, -nodeType);
  board.unmakeNullMove();
  if (stopRequested) {
    *cutScore = -MATE;
    return true;
  }
  *threat = v <= -MATE_BOUND ? THREAT_MATE
            : v < board.currentPly->incrementalScore - evalScript.rookMarginLarge ? THREAT_MATERIAL
                                                                                : THREAT_NONE;
  if (v < beta) return false;
  if (gamePhase >= ENDGAME_PHASE && depth > cut) {
    // Zugzwang is common in the endgame: a real move must hold as well.
    Move found = hashMove;
    v = searchForMove(t, ply, depth - cut, alpha, beta, &found, CUT_NODE);
    if (v < beta) return false;
    if (searchOptions.storeLeafScores && ply < t.iterationDepth && !stopRequested)
      storeHash(board, ply, depth - cut, beta, BOUND_LOWER, found);
  }
  const int lowered = v - evalScript.value8;
  *cutScore = lowered >= beta ? lowered : beta;
  return true;
}

// What the singular test found for the table move.
enum Singular { SINGULAR_NONE, SINGULAR_EXTEND, SINGULAR_CUT };

// The singular test of the table move: its stored score less margin x depth
// is the bar (the slot must still hold that move: a search at this node may
// have stored another since the probe). SINGULAR_EXTEND when every other
// move, searched to half the depth, stays below the bar; SINGULAR_CUT when
// one reaches it and the bar is at least beta (the node fails high there).
Singular singularTest(SearchThread& t, int ply, int depth, int beta, Move hashMove, int* bar) {
  if (!searchOptions.useSingularExtension || depth < searchOptions.singularMinDepth ||
      isNullMove(hashMove))
    return SINGULAR_NONE;
  HashHit hit;
  if (!readHash(t.board, ply, &hit) || !sameMove(hit.move, hashMove) ||
      hit.bound == BOUND_UPPER || hit.depth < depth - SINGULAR_DEPTH_SLACK ||
      std::abs(hit.score) >= MATE_BOUND)
    return SINGULAR_NONE;
  *bar = hit.score - searchOptions.singularMargin * depth;
  Move other = NULL_MOVE;
  const int v = searchForMove(t, ply, depth / 2, *bar - 1, *bar, &other, CUT_NODE, hashMove);
  if (stopRequested) return SINGULAR_NONE;
  if (v < *bar) return SINGULAR_EXTEND;
  return *bar >= beta ? SINGULAR_CUT : SINGULAR_NONE;
}

// Depth of a move's new position: one ply less unless it is extended.
int newDepthOf(Board& board, const MovePicker& picker, Move m, int depth, int alpha,
               int beta, int nodeType, int threat) {
  PlyRecord* next = board.currentPly;
  bool extend = threat == THREAT_MATE || threat == THREAT_IN_CHECK;
  if (!extend && nodeType == PV_NODE) {
    extend = (searchOptions.useCaptureExtension &&
              next->captureExtensionBudget >= CAPTURE_EXTENSION_BUDGET) ||
             (searchOptions.useGainExtension && picker.stage < PICKER_STAGE_GENERATE_QUIETS &&
              beta - alpha >= (evalScript.rookMarginSmall >> 1) &&
              sameMove(m, picker.searchMove));
  }
  if (!extend) return depth - 1;
  next->captureExtensionBudget = 0;
  return depth;
}

// The score of the move just made. At a PV node with a real best score
// already, a null-window probe first and a full re-search only when the
// move lands inside the window.
int searchChild(SearchThread& t, int ply, int depth, int alpha, int beta, int nodeType,
                int best) {
  if (searchOptions.usePvs && nodeType == PV_NODE && best > -MATE_BOUND) {
    const int v = -alphaBeta(t, ply + 1, depth, -alpha - 1, -alpha, CUT_NODE);
    if (v <= alpha || v >= beta) return v;
    return -alphaBeta(t, ply + 1, depth, -beta, -alpha, PV_NODE);
  }
  return -alphaBeta(t, ply + 1, depth, -beta, -alpha, -nodeType);
}

// Plies a late quiet move is reduced by, leaving at least one: one when its
// history is poor in the first design; from the log table otherwise, one
// less at PV nodes and for a good history.
int reductionOf(const SearchThread& t, Move m, int depth, int newDepth, int moveCount,
                int nodeType) {
  const bool goodHistory =
      historyRatio(t.history, t.board, m) >= static_cast<unsigned>(searchOptions.lmrHistoryLimit);
  if (!searchOptions.lmrTable) return goodHistory ? 0 : 1;
  int r = lmrReductionTable[std::min(depth, LMR_TABLE_SIZE - 1)]
                           [std::min(moveCount, LMR_TABLE_SIZE - 1)];
  r -= (nodeType == PV_NODE) + goodHistory;
  return std::clamp(r, 0, std::max(newDepth - 1, 0));
}

// After the move loop: killers, history and the search move of the ply.
void creditBestMove(SearchThread& t, MovePicker& picker, Move best, int bound, int depth,
                    int lastGain) {
  const Board& board = t.board;
  if (bound == BOUND_UPPER) return;
  if (!isQuiet(board, best) && best.score >= goodCaptureThreshold) return;
  if (bound == BOUND_LOWER) {
    markTriedMoves(t.history, picker);
    if (isQuiet(board, best)) {
      const MoveSpan tried = picker.quietsBefore();
      if (searchOptions.historyPenalty) historyPenalizeTried(t.history, board, tried, depth, best);
      if (searchOptions.useContinuationHistory)
        continuationUpdate(t.history, board, tried, depth, best);
    }
    historyGood(t.history, board, best);
  } else if (lastGain > evalScript.rookMarginSmall) {
    picker.searchMove = best;
  }
  picker.setKiller(best);
  if (best.score != HASH_MOVE_SCORE) historyAdd(t.history, board, depth, best);
}

}  // namespace

void markTriedMoves(HistoryTables& h, const MovePicker& picker) {
  const Board& b = *picker.board;
  const Move hash = picker.moves[0];
  switch (picker.stage) {
    case PICKER_STAGE_GOOD_CAPTURES:
    case PICKER_STAGE_KILLER_2:
    case PICKER_STAGE_OTHER_CAPTURES:
      if (!isNullMove(hash)) historyTried(h, b, hash);
      break;
    case PICKER_STAGE_QUIETS: {
      if (!isNullMove(hash)) historyTried(h, b, hash);
      const MoveSpan tried = picker.quietsBefore();
      for (int i = 0; i < tried.count; ++i) {
        const Move m = tried.first[i];
        if (sameMove(m, hash) || sameMove(m, picker.moves[1]) || sameMove(m, picker.moves[2]))
          continue;
        historyTried(h, b, m);
      }
      break;
    }
    default:
      break;
  }
}

int alphaBeta(SearchThread& t, int ply, int depth, int alpha, int beta, int nodeType) {
  Board& board = t.board;
  if (searchMustStop(t)) return -MATE;
  if ((depth <= 0 && !board.inCheck()) || ply >= LEAF_PLY_LIMIT)
    return leafScore(t, ply, depth, alpha, beta);

  t.countNode();
  t.reach(ply);
  int best = ply - MATE;
  if (best >= beta) return best;

  Move hashMove = NULL_MOVE;
  if (searchOptions.useRepetitionCheck) {
    int s = 0;
    const int r = checkRepetition(board, ply, &s, &hashMove);
    if (r != REP_NONE) {
      if (alpha < s && s < beta) {
        PvRecord& pv = t.pvLines[ply];
        pv.count = 0;
        if (r == REP_PLAIN && !isNullMove(hashMove)) {
          pv.moves[0] = hashMove;
          pv.count = 1;
        }
      }
      if (r == REP_PLAIN && searchOptions.storeRepetitionScores)
        storeHash(board, ply, 0, s, BOUND_EXACT, hashMove);
      return s;
    }
  }

  const int entryAlpha = alpha;
  if (best > alpha) alpha = best;
  HashProbe code = HASH_MISS;
  const int hashScore =
      probeHash(board, ply, depth, alpha, beta, &hashMove, &code, nodeType != PV_NODE);
  if (searchOptions.useHashCutoffs && hashScoreUsable(code) && nodeType != PV_NODE)
    return hashScore;

  const bool inCheck = board.inCheck();
  const int staticScore = nodeStaticScore(t, ply, inCheck);
  if (reverseFutilityCut(t, ply, depth, beta, nodeType, inCheck)) return staticScore;
  // Checked here, past the cuts that never look at it.
  hashMove = checkedTableMove(board, hashMove);

  int threat = inCheck ? THREAT_IN_CHECK : THREAT_NONE;
  if (nullMoveAllowed(t, ply, depth, alpha, beta, nodeType, staticScore)) {
    int cutScore = 0;
    const int cut = nullMoveCut(depth, staticScore, beta);
    if (tryNullMove(t, ply, depth, alpha, beta, nodeType, cut, hashMove, &threat, &cutScore))
      return cutScore;
  }
  if (isNullMove(hashMove) && searchOptions.useIir) {
    if (depth >= IIR_MIN_DEPTH) --depth;
  } else if (searchOptions.useIid && depth > searchOptions.iidDepth && isNullMove(hashMove)) {
    searchForMove(t, ply, depth - searchOptions.iidDepth, alpha, beta, &hashMove, nodeType);
    if (stopRequested) return -MATE;
  }
  int singularBar = 0;
  const Singular singular = singularTest(t, ply, depth, beta, hashMove, &singularBar);
  if (singular == SINGULAR_CUT) return singularBar;
  const bool reduce = (searchOptions.lmrAtPvNodes || nodeType != PV_NODE) &&
                      threat == THREAT_NONE && depth >= searchOptions.lmrMinDepth;
  const Pruning pruning = pruningAt(t, ply, depth, alpha, nodeType, inCheck);

  MovePicker& picker = t.picker(ply);
  picker.reset(hashMove);
  t.pvLines[ply + 1].count = 0;
  int moveCount = 0, quietCount = 0, lastGain = 0;
  Move bestMove = NULL_MOVE;
  for (Move m = picker.next(); !isNullMove(m); m = picker.next()) {
    const bool quiet = isQuiet(board, m);
    if (best > -MATE_BOUND && pruning.active) {
      if (quiet && quietCount >= pruning.quietLimit) continue;
      if (!quiet && pruning.exchangeFloor > NO_EXCHANGE_FLOOR &&
          !exchangeAtLeast(board, m, pruning.exchangeFloor))
        continue;
    }
    prefetchHash(board.keyAfter(m));
    if (board.makeMove(m)) continue;
    // Futile quiet moves: only a check can lift the score to alpha.
    if (quiet && pruning.futile && best > -MATE_BOUND && !board.inCheck()) {
      board.unmakeMove();
      continue;
    }
    if (quiet) ++quietCount;
    int fullDepth = newDepthOf(board, picker, m, depth, alpha, beta, nodeType, threat);
    if (singular == SINGULAR_EXTEND && sameMove(m, hashMove)) fullDepth = depth;
    int newDepth = fullDepth;
    if (reduce && best > -MATE_BOUND && newDepth < depth &&
        moveCount >= searchOptions.lmrMinMoves && picker.stage == PICKER_STAGE_QUIETS)
      newDepth -= reductionOf(t, m, depth, newDepth, moveCount, nodeType);
    int v = searchChild(t, ply, newDepth, alpha, beta, nodeType, best);
    // A reduced move that scores above the bar is searched again in full:
    // above alpha with the table, at beta or above in the first design.
    const int bar = searchOptions.lmrTable ? alpha : beta - 1;
    if (searchOptions.lmrResearch && newDepth < fullDepth && v > bar)
      v = -alphaBeta(t, ply + 1, fullDepth, -beta, -alpha, -nodeType);
    board.unmakeMove();
    if (stopRequested) return -MATE;
    if (v > best) {
      lastGain = v - best;
      best = v;
      bestMove = m;
      if (v > alpha) {
        if (v >= beta) break;
        alpha = v;
        // The line now, while the child's record is this move's: a later
        // move's re-search may leave its own there and still fail low.
        updatePv(t, ply, m, moveCount);
      }
    }
    if (nodeType == CUT_NODE) nodeType = ALL_NODE;
    ++moveCount;
  }

  if (best <= ply - MATE) {
    if (best > entryAlpha) t.pvLines[ply].count = 0;
    return best;
  }
  const int bound = boundOf(best, entryAlpha, beta);
  creditBestMove(t, picker, bestMove, bound, depth, lastGain);
  if (depth >= 1 && (std::abs(best) < MATE_BOUND || std::abs(best) > PERPETUAL))
    storeHash(board, ply, depth, best, bound, bestMove);
  return best;
}

int searchForMove(SearchThread& t, int ply, int depth, int alpha, int beta, Move* move,
                  int nodeType, Move excluded) {
  Board& board = t.board;
  const int newDepth = board.inCheck() ? depth : depth - 1;
  int best = ply - MATE;
  MovePicker& picker = t.picker(ply);
  picker.reset(*move);  // callers pass a checked table move or none
  for (Move m = picker.next(); !isNullMove(m); m = picker.next()) {
    if (sameMove(m, excluded) || board.makeMove(m)) continue;
    const int v = searchChild(t, ply, newDepth, alpha, beta, nodeType, best);
    board.unmakeMove();
    if (stopRequested) return best;
    if (v > best) {
      best = v;
      *move = m;
      if (v > alpha) {
        if (v >= beta) return best;
        alpha = v;
      }
    }
  }
  return best;
}
