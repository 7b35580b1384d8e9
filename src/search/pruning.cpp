// Pruning from the static score at nodes of the main search: reverse
// futility, futility, late-move pruning and the exchange floor.
#include "search/pruning.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "board/zobrist.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"
#include "movegen/movegen.h"
#include "search/hash/tt.h"
#include "search/tuning.h"

namespace {

// Static scores of the nodes on the current line, for the pruning below and
// to tell whether the side to move's position is improving.
int staticScores[MAX_PLY + 2];

// The static score before its correction and the node's correction slot,
// for learning the correction at the end of the node.
int rawScores[MAX_PLY + 2];
int16_t correction[2][CORRECTION_SLOTS];
int16_t* correctionSlots[MAX_PLY + 2];

// Pawns, kings, advisors and elephants of both sides: the slower-moving
// part of a position, where the evaluation's errors tend to stay.
constexpr int STRUCTURE_PIECES[] = {KING_INDEX, ADVISOR_INDEX, ADVISOR_INDEX + 1,
                                    ELEPHANT_INDEX, ELEPHANT_INDEX + 1, PAWN_INDEX,
                                    PAWN_INDEX + 1, PAWN_INDEX + 2, PAWN_INDEX + 3,
                                    PAWN_INDEX + 4};

int16_t& correctionSlot(const Board& board) {
  ZobristKey key = 0;
  for (int side = BLACK; side <= RED; ++side)
    for (int i : STRUCTURE_PIECES) {
      const int index = sideBase(side) + i;
      key ^= zobristPiece[index][board.pieceList[index]];
    }
  return correction[board.sideToMove][keyHigh(key) % CORRECTION_SLOTS];
}

bool pruningSwitchedOn() {
  return searchOptions.useReverseFutility || searchOptions.useFutility ||
         searchOptions.useLateMovePruning || searchOptions.nullMoveAdaptive ||
         searchOptions.useCorrection;
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
    rawScores[ply] = s;
    if (searchOptions.useCorrection) {
      correctionSlots[ply] = &correctionSlot(board);
      s += *correctionSlots[ply] / CORRECTION_GRAIN;
    }
  }
  staticScores[ply] = s;
  return s;
}

int tightenStaticScore(int ply, int score, int bound) {
  int& s = staticScores[ply];
  const bool tighter = bound == BOUND_EXACT || (bound == BOUND_LOWER && score > s) ||
                       (bound == BOUND_UPPER && score < s);
  if (tighter && std::abs(score) < MATE_BOUND) s = score;
  return s;
}

void correctionClear() { std::memset(correction, 0, sizeof correction); }

void correctionUpdate(int ply, int depth, int score, int bound) {
  if (std::abs(score) >= MATE_BOUND) return;
  const int corrected = staticScores[ply];
  if ((bound == BOUND_LOWER && score <= corrected) || (bound == BOUND_UPPER && score >= corrected))
    return;
  const int diff = std::clamp(score - rawScores[ply], -CORRECTION_MAX_DIFF, CORRECTION_MAX_DIFF);
  const int weight = std::min(depth, CORRECTION_MAX_WEIGHT);
  int16_t& slot = *correctionSlots[ply];
  slot = static_cast<int16_t>((slot * (CORRECTION_SCALE - weight) +
                               diff * CORRECTION_GRAIN * weight) / CORRECTION_SCALE);
}

bool reverseFutilityCut(int ply, int depth, int beta, int nodeType, bool inCheck) {
  if (!searchOptions.useReverseFutility || nodeType == 0 || inCheck) return false;
  if (depth > searchOptions.reverseFutilityDepth || std::abs(beta) >= MATE_BOUND) return false;
  const int plies = depth + (searchOptions.useImproving && !isImproving(ply));
  return staticScores[ply] - searchOptions.reverseFutilityMargin * plies >= beta;
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
