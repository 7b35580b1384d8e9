// Shared set-up of the move-generation tests: the engine's tables (with zero
// score tables: generation never reads scores), boards from FEN text, move
// sets, and positions from seeded random games.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/engine_tables.h"
#include "board/board.h"
#include "board/movelists.h"
#include "board/tables.h"
#include "movegen/movegen.h"
#include "board/zobrist.h"

namespace movegentest {

using enginetest::boardFromFen;
using enginetest::buildTables;

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

using enginetest::toFen;

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

// A seeded random legal position: both kings, a random subset of the other
// pieces on squares their kind may hold, and a side to move whose opponent
// is not attacked. Dense enough around the kings to give double checks,
// pinned screens and crowded horse corners.
inline std::string randomPlacement(std::mt19937& rng) {
  for (;;) {
    char grid[10][9] = {};
    auto tryPut = [&](char c, auto allowed) {
      for (int attempt = 0; attempt < 40; ++attempt) {
        const int row = static_cast<int>(rng() % 10), file = static_cast<int>(rng() % 9);
        if (!grid[row][file] && allowed(row, file)) {
          grid[row][file] = c;
          return;
        }
      }
    };
    for (int side = 0; side < 2; ++side) {
      auto rel = [side](int row) { return side == RED ? 9 - row : row; };
      auto letter = [side](char c) { return side == RED ? static_cast<char>(c - 32) : c; };
      auto palace = [&](int row, int file) { return rel(row) <= 2 && file >= 3 && file <= 5; };
      tryPut(letter('k'), palace);
      const int counts[6] = {2, 2, 2, 2, 2, 5};
      const char letters[6] = {'a', 'b', 'n', 'r', 'c', 'p'};
      for (int t = 0; t < 6; ++t)
        for (int n = static_cast<int>(rng() % (counts[t] + 1)); n > 0; --n)
          tryPut(letter(letters[t]), [&](int row, int file) {
            switch (letters[t]) {
              case 'a': return palace(row, file) && ((rel(row) + file) & 1) == 1;
              case 'b': return rel(row) % 2 == 0 && rel(row) <= 4 && (file + rel(row)) % 4 == 2;
              case 'p': return rel(row) >= 5 || (rel(row) >= 3 && file % 2 == 0);
              default: return true;
            }
          });
    }
    std::string fen;
    for (int row = 0; row < 10; ++row) {
      int gap = 0;
      for (int file = 0; file < 9; ++file) {
        if (!grid[row][file]) {
          ++gap;
          continue;
        }
        if (gap) fen += static_cast<char>('0' + gap);
        gap = 0;
        fen += grid[row][file];
      }
      if (gap) fen += static_cast<char>('0' + gap);
      if (row < 9) fen += '/';
    }
    fen += rng() % 2 ? " w" : " b";
    buildTables();
    std::unique_ptr<Board> probe(new Board);
    probe->init();
    if (probe->setFen(fen.c_str()) == FenStatus::Ok && !probe->attacksKing(probe->sideToMove))
      return fen;
  }
}

struct FixturePosition {
  std::string tag, fen;
  std::vector<uint64_t> counts;  // perft at depth 1, 2, ...
};

// tests/movegen/perft_fixture.txt: "<tag> <board> <side> <counts...>" lines
// with counts from an independent engine (tools/perft_fixture.cjs).
inline std::vector<FixturePosition> readFixture() {
  std::string path = __FILE__;
  path = path.substr(0, path.find_last_of('/') + 1) + "perft_fixture.txt";
  std::ifstream in(path);
  std::vector<FixturePosition> out;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    FixturePosition p;
    std::string board, side;
    fields >> p.tag >> board >> side;
    p.fen = board + " " + side;
    for (uint64_t n; fields >> n;) p.counts.push_back(n);
    out.push_back(p);
  }
  return out;
}

}  // namespace movegentest
