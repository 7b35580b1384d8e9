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
#include "search/tuning.h"

namespace {

// Static scores of the nodes on the current line, for the pruning below and
// to tell whether the side to move's position is improving.
int staticScores[MAX_PLY + 2];

bool pruningSwitchedOn() {
  return searchOptions.useReverseFutility || searchOptions.useFutility ||
         searchOptions.useLateMovePruning || searchOptions.nullMoveAdaptive;
}

}  // namespace

bool isImproving(int ply) {
  return ply < 2 || staticScores[ply - 2] == -MATE || staticScores[ply] > staticScores[ply - 2];
}

int nodeStaticScore(const Board& board, int ply, bool inCheck) {
  int s = 0;
  if (inCheck) {
    s = -MATE;
  } else if (pruningSwitchedOn()) {
    int threats = 0;
    s = evaluate(board, ply, -MATE, MATE, &threats);
  }
  staticScores[ply] = s;
  return s;
}

bool reverseFutilityCut(int ply, int depth, int beta, int nodeType, bool inCheck) {
  if (!searchOptions.useReverseFutility || nodeType == 0 || inCheck) return false;
  if (depth > searchOptions.reverseFutilityDepth || std::abs(beta) >= MATE_BOUND) return false;
  return staticScores[ply] - searchOptions.reverseFutilityMargin * depth >= beta;
}

Pruning pruningAt(int ply, int depth, int alpha, int nodeType, bool inCheck) {
  Pruning p{false, false, MAX_MOVES + 1, NO_EXCHANGE_FLOOR};
  if (nodeType == 0 || inCheck || std::abs(alpha) >= MATE_BOUND) return p;
  if (searchOptions.useFutility && depth <= searchOptions.futilityDepth)
    p.futile = staticScores[ply] + searchOptions.futilityMargin * depth <= alpha;
  if (searchOptions.useLateMovePruning && depth <= searchOptions.lateMovePruningDepth) {
    const int limit = searchOptions.lateMovePruningBase + depth * depth;
    p.quietLimit = isImproving(ply) ? limit : limit / 2;
  }
  if (searchOptions.useSee && depth <= searchOptions.seePruningDepth)
    p.exchangeFloor = -searchOptions.seePruningMargin * depth;
  p.active = p.futile || p.quietLimit <= MAX_MOVES || p.exchangeFloor > NO_EXCHANGE_FLOOR;
  return p;
}
