// The static evaluation: incremental score and tempo, then king safety and
// line threats as the knowledge level and the node's depth allow, leaving
// early whenever the score lies far enough outside the window; or, with the
// switch useNetwork and a loaded net, the net's score.
#include "eval/evaluate.h"

#include <algorithm>

#include "board/board.h"
#include "config/netfile.h"
#include "config/searchoptions.h"
#include "eval/evaltables.h"
#include "eval/netscore.h"

using namespace evalterm;

namespace {

// Plies beyond the iteration depth up to which king safety and line
// threats are still worth their cost.
constexpr int KING_SAFETY_PLY_REACH = 6;
constexpr int LINE_THREAT_PLY_REACH = 2;

// The move of the piece values from the middle game towards the endgame,
// from the side to move's view; none for a script without endgame values,
// which then leaves its table out of the cache.
inline int phaseShift(const Board& b) {
  if (!evalScript.endgameValuesUsed) return 0;
  const uint32_t signature = b.currentPly->materialSignature;
  const int material =
      attackMaterialTable[(signature >> ATTACK_MATERIAL_SHIFT[BLACK]) & 63] +
      attackMaterialTable[(signature >> ATTACK_MATERIAL_SHIFT[RED]) & 63];
  const int red = endgameShift[signature >> 16] - endgameShift[signature & 0xFFFF];
  const int s = red * (PHASE_FULL - std::min(material, PHASE_FULL)) / PHASE_FULL;
  return b.sideToMove == RED ? s : -s;
}

inline int bounded(int s) { return std::clamp(s, -EVAL_SCORE_LIMIT, EVAL_SCORE_LIMIT); }

// A lazy exit: the score moved towards the window by the margin, so a fail
// low stays at or below alpha and a fail high at or above beta. Scores
// within the limit stay within it.
inline bool lazyExit(int s, int alpha, int beta, int margin, int* result) {
  if (s <= alpha - margin) {
    *result = std::min(s + margin, EVAL_SCORE_LIMIT);
    return true;
  }
  if (s >= beta + margin) {
    *result = std::max(s - margin, -EVAL_SCORE_LIMIT);
    return true;
  }
  return false;
}

// The net's score: no lazy exits, since it costs the same whatever the
// window. The threat count is still king safety's, within its reach, so the
// quiescence search tries its quiet checks where it did with the script.
int networkEvaluation(const Board& board, int beyond, int* threatCount) {
  *threatCount = 0;
  if (searchOptions.knowledgeLevel > 0 && beyond <= KING_SAFETY_PLY_REACH) {
    int16_t threats[2];
    kingSafety(board, board.sideToMove, &threats[BLACK], &threats[RED]);
    *threatCount = threats[board.sideToMove];
  }
  return networkScore(board, EVAL_SCORE_LIMIT);
}

}  // namespace

int evaluate(const Board& board, int beyond, int alpha, int beta, int* threatCount) {
  if (searchOptions.useNetwork && network.loaded)
    return networkEvaluation(board, beyond, threatCount);
  *threatCount = 0;
  // Bounded, since a position whose king was taken carries a king's value.
  int s = bounded(board.currentPly->incrementalScore + phaseShift(board) + tempoBonus());
  int result;
  if (lazyExit(s, alpha, beta, lazyMarginMaterial(), &result)) return result;
  const int knowledge = searchOptions.knowledgeLevel;
  if (knowledge == 0) return s;
  if (beyond > KING_SAFETY_PLY_REACH) return s;

  const int side = board.sideToMove;
  int16_t threats[2];
  s = bounded(s + kingSafety(board, side, &threats[BLACK], &threats[RED]));
  *threatCount = threats[side];
  if (beyond > LINE_THREAT_PLY_REACH) return s;
  if (lazyExit(s, alpha, beta, lazyMarginKingSafety(), &result)) return result;
  if (knowledge <= 1) return s;

  s = bounded(s + lineThreats(board, side) - lineThreats(board, otherSide(side)));
  if (lazyExit(s, alpha, beta, lazyMarginLines(), &result)) return result;
  return s;
}
