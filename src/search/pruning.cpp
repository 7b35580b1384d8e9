// Pruning from the static score at nodes of the main search: reverse
// futility, futility, late-move pruning and the exchange floor.
#include "search/pruning.h"

#include <algorithm>
#include <cstdlib>

#include "board/board.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"
#include "movegen/movegen.h"
#include "search/hash/tt.h"
#include "search/search.h"
#include "search/thread.h"
#include "search/tuning.h"

namespace {

bool pruningSwitchedOn() {
  return searchOptions.useReverseFutility || searchOptions.useFutility ||
         searchOptions.useLateMovePruning || searchOptions.nullMoveAdaptive;
}

}  // namespace

bool isImproving(const SearchThread& t, int ply) {
  const int* s = t.staticScores;
  return ply < 2 || s[ply - 2] == -MATE || s[ply] > s[ply - 2];
}

int nodeStaticScore(SearchThread& t, int ply, bool inCheck) {
  int s = 0;
  if (inCheck) {
    s = -MATE;
  } else if (pruningSwitchedOn()) {
    int threats = 0;
    s = evaluate(t.board, ply - t.iterationDepth, -MATE, MATE, &threats);
  }
  t.staticScores[ply] = s;
  return s;
}

bool reverseFutilityCut(const SearchThread& t, int ply, int depth, int beta, int nodeType,
                        bool inCheck) {
  if (!searchOptions.useReverseFutility || nodeType == PV_NODE || inCheck) return false;
  if (depth > searchOptions.reverseFutilityDepth || std::abs(beta) >= MATE_BOUND) return false;
  return t.staticScores[ply] - searchOptions.reverseFutilityMargin * depth >= beta;
}

Pruning pruningAt(const SearchThread& t, int ply, int depth, int alpha, int nodeType,
                  bool inCheck) {
  Pruning p{false, false, MAX_MOVES + 1, NO_EXCHANGE_FLOOR};
  if (nodeType == PV_NODE || inCheck || std::abs(alpha) >= MATE_BOUND) return p;
  if (searchOptions.useFutility && depth <= searchOptions.futilityDepth)
    p.futile = t.staticScores[ply] + searchOptions.futilityMargin * depth <= alpha;
  if (searchOptions.useLateMovePruning && depth <= searchOptions.lateMovePruningDepth) {
    const int limit = searchOptions.lateMovePruningBase + depth * depth;
    p.quietLimit = isImproving(t, ply) ? limit : limit / 2;
  }
  if (searchOptions.useSee && depth <= searchOptions.seePruningDepth)
    p.exchangeFloor = -searchOptions.seePruningMargin * depth;
  p.active = p.futile || p.quietLimit <= MAX_MOVES || p.exchangeFloor > NO_EXCHANGE_FLOOR;
  return p;
}
