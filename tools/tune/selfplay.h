// The self-play games of the data tools: random opening plies, then the
// engine's own search for both sides, under the generator's draw and win
// rules.
#pragma once

#include <functional>
#include <random>
#include <vector>

#include "search/limits.h"
#include "types.h"

struct Board;

namespace tune {

struct GameRules {
  SearchLimits limits;  // of every search (the book is never used)
  // A draw once both sides' scores stay within drawScore for drawPlies
  // plies in a row from drawFromPly on (0: never).
  int drawPlies = 0;
  int drawScore = 0;
  int drawFromPly = 0;
};

// What the engine plays from: the board before the move, the search's
// score (side to move's view), the move chosen and the ply of the game.
using PositionVisit = std::function<void(Board& b, int score, Move best, int ply)>;

// Plays one game from the start position; returns red's score (1, 0.5 or
// 0), or a negative number when the random opening was out of balance.
double playGame(Board& b, std::mt19937& rng, const GameRules& rules, const PositionVisit& visit);

// The board's legal moves.
std::vector<Move> legalMoves(Board& b);

}  // namespace tune
