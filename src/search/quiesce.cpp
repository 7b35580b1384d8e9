// The quiescence search: stand pat on the static evaluation, then captures
// (and at the hand-over node under threat, quiet checks); in check, every
// evasion with no stand pat.
#include "board/board.h"
#include "board/tables.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"
#include "movegen/history.h"
#include "movegen/movegen.h"
#include "movegen/picker.h"
#include "movegen/see.h"
#include "search/hash/tt.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "search/thread.h"
#include "search/tuning.h"

int quiesce(SearchThread& t, int ply, int alpha, int beta) {
  Board& board = t.board;
  t.countQuiesceNode();
  t.reach(ply);
  int best = ply - MATE;
  if (best >= beta) return best;

  if (searchOptions.useRepetitionCheck &&
      board.currentPly[-1].lastCaptureRecord <= board.currentPly - QUIESCE_REPETITION_PLIES) {
    int s = 0;
    Move m = NULL_MOVE;
    if (checkRepetition(board, ply, &s, &m) != REP_NONE) return s;
  }
  if (best > alpha) alpha = best;
  // No frame beyond the last ply: the static score is the answer.
  if (ply >= MAX_PLY) {
    int threats = 0;
    return evaluate(board, ply - t.iterationDepth, alpha, beta, &threats);
  }

  Move hashMove = NULL_MOVE;
  const auto probesAt = [&t](int p) {
    return searchOptions.quiesceProbePlies ? p - t.checkPlyLimit < searchOptions.quiesceProbePlies
                                           : p < t.iterationDepth + QUIESCE_PROBE_PLIES;
  };
  const bool probe = probesAt(ply), childProbes = probesAt(ply + 1);
  if (probe) {
    HashProbe code = HASH_MISS;
    probeHash(board, ply, 0, alpha, beta, &hashMove, &code, false);
  }
  MovePicker& picker = t.picker(ply);
  const bool evasions = board.inCheck() && searchOptions.quiesceCheckEvasions;
  if (!evasions) {
    const int s = evaluate(board, ply - t.iterationDepth, alpha, beta, &picker.threatCount);
    if (s >= beta) return s;
    if (s > alpha) alpha = s;
    best = s;
  }

  picker.reset(checkedTableMove(board, hashMove));  // after the stand-pat cut
  picker.quietCheckNode = ply <= t.checkPlyLimit;
  for (Move m = picker.nextQuiescence(); !isNullMove(m); m = picker.nextQuiescence()) {
    // A capture that loses material in the exchange cannot lift the score.
    if (!evasions && searchOptions.useSee && !isQuiet(board, m) && !exchangeAtLeast(board, m, 0))
      continue;
    if (childProbes) prefetchHash(board.keyAfter(m));
    if (board.makeMove(m)) continue;
    const int v = -quiesce(t, ply + 1, -beta, -alpha);
    board.unmakeMove();
    if (v <= best) continue;
    best = v;
    if (v > alpha) {
      if (v >= beta) {
        if (board.currentPly->capturedCode == EMPTY)
          picker.setKiller(m);
        else
          picker.setCaptureKiller(m);
        return best;
      }
      alpha = v;
    }
  }
  return best;
}
