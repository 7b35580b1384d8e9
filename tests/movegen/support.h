// Shared set-up of the move-generation tests: the engine's tables (with zero
// score tables: generation never reads scores), boards from FEN text, move
// sets, and positions from seeded random games.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/movelists.h"
#include "board/tables.h"
#include "movegen/movegen.h"
#include "search/hash/zobrist.h"

namespace movegentest {

constexpr const char* START_FEN =
    "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1";

inline void buildTables() {
  static bool built = false;
  if (built) return;
  built = true;
  buildPieceTables();
  initZobrist();
  buildMoveDelta();
  buildMoveTables();
}

inline std::unique_ptr<Board> boardFromFen(const std::string& fen) {
  buildTables();
  std::unique_ptr<Board> b(new Board);
  b->init();
  EXPECT_EQ(b->setFen(fen.c_str()), FenStatus::Ok) << fen;
  return b;
}

// A move as from * 256 + to, for sets and readable failure messages.
inline int key(Move m) { return m.from * 256 + m.to; }

inline std::vector<int> keys(const Move* moves, int n) {
  std::vector<int> k;
  for (int i = 0; i < n; ++i) k.push_back(key(moves[i]));
  return k;
}
inline std::vector<int> sorted(std::vector<int> k) {
  std::sort(k.begin(), k.end());
  return k;
}
inline bool hasDuplicates(std::vector<int> k) {
  k = sorted(k);
  return std::adjacent_find(k.begin(), k.end()) != k.end();
}

inline std::vector<int> legalKeys(Board& b) {
  Move moves[MAX_MOVES];
  const int side = b.sideToMove;
  const int n = generateAllMoves(b, side, moves);
  std::vector<int> out;
  for (int i = 0; i < n; ++i)
    if (!b.leavesKingAttacked(moves[i], side)) out.push_back(key(moves[i]));
  return sorted(out);
}

// Positions met along seeded random games from the start position, taken
// back afterwards; `visit` sees the board at every position. Captures are
// preferred now and then so that the games reach sparse endgames too.
template <typename Visit>
void randomGames(int games, int maxPlies, unsigned seed, Visit visit) {
  auto b = boardFromFen(START_FEN);
  std::mt19937 rng(seed);
  for (int g = 0; g < games; ++g) {
    int made = 0;
    for (int ply = 0; ply < maxPlies; ++ply) {
      visit(*b);
      Move moves[MAX_MOVES];
      const int side = b->sideToMove;
      const int n = generateAllMoves(*b, side, moves);
      std::vector<Move> legal, captures;
      for (int i = 0; i < n; ++i)
        if (!b->leavesKingAttacked(moves[i], side)) {
          legal.push_back(moves[i]);
          if (!isQuiet(*b, moves[i])) captures.push_back(moves[i]);
        }
      if (legal.empty()) break;
      const std::vector<Move>& pool = !captures.empty() && rng() % 3 == 0 ? captures : legal;
      if (b->makeMove(pool[rng() % pool.size()])) break;
      ++made;
    }
    while (made-- > 0) b->unmakeMove();
  }
}

}  // namespace movegentest
