#include "tune/selfplay.h"

#include <unordered_map>

#include "board/board.h"
#include "frontend/position.h"
#include "movegen/movegen.h"
#include "search/hash/tt.h"
#include "search/search.h"
#include "search/searchstate.h"

namespace tune {
namespace {

// Random plies before the engine plays, and the largest score after them
// that still makes a game worth playing.
constexpr int RANDOM_PLIES_MIN = 4, RANDOM_PLIES_SPAN = 6;
constexpr int OPENING_SCORE_LIMIT = 200;
// Draw rules of the generator: plies without a capture, plies in all, and
// the count of a position's occurrences.
constexpr int QUIET_PLY_LIMIT = 120;
constexpr int GAME_PLY_LIMIT = 300;
constexpr int REPEAT_LIMIT = 3;
// A game is won once the side to move's score stays beyond this for as
// many plies in a row, or a mate is found.
constexpr int WIN_SCORE = 1000;
constexpr int WIN_PLIES = 8;

void makeGameMove(Board& b, Move m) {
  if (b.height() >= GAME_RECORD_LIMIT) b.trimHistory(GAME_RECORDS_KEPT);
  b.makeMove(m);
}

}  // namespace

std::vector<Move> legalMoves(Board& b) {
  Move moves[MAX_MOVES];
  const int n = generateAllMoves(b, b.sideToMove, moves);
  std::vector<Move> legal;
  for (int i = 0; i < n; ++i) {
    if (b.makeMove(moves[i])) continue;
    b.unmakeMove();
    legal.push_back(moves[i]);
  }
  return legal;
}

double playGame(Board& b, std::mt19937& rng, const GameRules& rules, const PositionVisit& visit) {
  SearchLimits limits = rules.limits;
  limits.useBook = false;
  setUpPosition(b, START_FEN);
  const int randomPlies = RANDOM_PLIES_MIN + static_cast<int>(rng() % RANDOM_PLIES_SPAN);
  for (int i = 0; i < randomPlies; ++i) {
    const std::vector<Move> moves = legalMoves(b);
    if (moves.empty()) return -1;
    makeGameMove(b, moves[rng() % moves.size()]);
  }
  clearHash();
  const int opening = searchGo(b, limits);
  if (opening > OPENING_SCORE_LIMIT || opening < -OPENING_SCORE_LIMIT) return -1;

  std::unordered_map<ZobristKey, int> seen;
  int quietPlies = 0, winningPlies = 0, lastSign = 0, drawnPlies = 0;
  for (int ply = randomPlies; ply < GAME_PLY_LIMIT; ++ply) {
    const int side = b.sideToMove;
    const int score = searchGo(b, limits);
    if (rootPv.count == 0) return side == RED ? 0.0 : 1.0;  // no legal move: lost
    const double sideWins = side == RED ? 1.0 : 0.0;
    if (score >= MATE - MAX_PLY) return sideWins;
    if (score <= -MATE + MAX_PLY) return 1.0 - sideWins;
    const int sign = score > WIN_SCORE ? 1 : score < -WIN_SCORE ? -1 : 0;
    // Both sides agree: the mover's sign flips every ply.
    winningPlies = sign != 0 && sign == -lastSign ? winningPlies + 1 : sign != 0;
    lastSign = sign;
    if (winningPlies >= WIN_PLIES) return sign > 0 ? sideWins : 1.0 - sideWins;
    const bool level = score <= rules.drawScore && score >= -rules.drawScore;
    drawnPlies = level && ply >= rules.drawFromPly ? drawnPlies + 1 : 0;
    if (rules.drawPlies > 0 && drawnPlies >= rules.drawPlies) return 0.5;

    const Move m = rootPv.moves[0];
    visit(b, score, m, ply);
    const bool capture = b.squares[m.to] != EMPTY;
    makeGameMove(b, m);
    quietPlies = capture ? 0 : quietPlies + 1;
    if (capture) seen.clear();
    if (++seen[b.currentPly->zobrist] >= REPEAT_LIMIT || quietPlies >= QUIET_PLY_LIMIT)
      return 0.5;
  }
  return 0.5;
}

}  // namespace tune
