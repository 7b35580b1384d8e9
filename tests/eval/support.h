// Shared set-up of the evaluation tests: the engine tables with the real
// evaluation script, boards from FEN, positions from random games and the
// two mirror images of a FEN.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/movelists.h"
#include "board/tables.h"
#include "common/engine_tables.h"
#include "config/evalscript.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"
#include "movegen/movegen.h"
#include "board/zobrist.h"
#include "search/searchstate.h"

namespace evaltest {

using enginetest::toFen;

inline void buildTables() {
  static bool built = false;
  if (built) return;
  built = true;
  buildPieceTables();
  initZobrist();
  ASSERT_TRUE(loadEvaluationScript(TOLVANE_DATA_DIR "/PosVal.txt"));
  buildMoveTables();
  buildEvalTables();
}

inline std::unique_ptr<Board> boardFromFen(const std::string& fen) {
  buildTables();
  std::unique_ptr<Board> b(new Board);
  b->init();
  EXPECT_EQ(b->setFen(fen.c_str()), FenStatus::Ok) << fen;
  return b;
}

// Sets the knowledge level and the iteration depth for one test and puts
// the old values back afterwards.
class EvalSettings {
 public:
  EvalSettings(int knowledge, int depth)
      : knowledge_(searchOptions.knowledgeLevel), depth_(iterationDepth) {
    searchOptions.knowledgeLevel = static_cast<uint8_t>(knowledge);
    iterationDepth = depth;
  }
  ~EvalSettings() {
    searchOptions.knowledgeLevel = knowledge_;
    iterationDepth = depth_;
  }

 private:
  uint8_t knowledge_;
  int depth_;
};

constexpr int WIDE = 30000;  // a window no score reaches

inline int evalWide(const Board& b, int ply = 0, int* threats = nullptr) {
  int t;
  const int s = evaluate(b, ply, -WIDE, WIDE, &t);
  if (threats != nullptr) *threats = t;
  return s;
}

// Positions (FEN) met in random games from the start position.
inline std::vector<std::string> randomGamePositions(int games, int plies, unsigned seed) {
  buildTables();
  std::mt19937 rng(seed);
  std::vector<std::string> out;
  std::unique_ptr<Board> b(new Board);
  for (int g = 0; g < games; ++g) {
    b->init();
    b->setFen(START_FEN);
    for (int p = 0; p < plies; ++p) {
      Move moves[MAX_MOVES];
      const int n = generateAllMoves(*b, b->sideToMove, moves);
      std::vector<Move> legal;
      for (int i = 0; i < n; ++i)
        if (!b->makeMove(moves[i])) {
          b->unmakeMove();
          legal.push_back(moves[i]);
        }
      if (legal.empty()) break;
      // Prefer captures now and then, so material comes off the board.
      std::vector<Move> captures;
      for (const Move& m : legal)
        if (b->squares[m.to] != EMPTY) captures.push_back(m);
      const std::vector<Move>& pool = !captures.empty() && rng() % 3 == 0 ? captures : legal;
      b->makeMove(pool[rng() % pool.size()]);
      out.push_back(toFen(*b));
    }
  }
  return out;
}

// The board field as ten rows of nine characters ('.' for empty).
inline std::vector<std::string> fenRows(const std::string& fen) {
  std::vector<std::string> rows(1);
  for (char c : fen.substr(0, fen.find(' '))) {
    if (c == '/')
      rows.emplace_back();
    else if (std::isdigit(static_cast<unsigned char>(c)))
      rows.back().append(c - '0', '.');
    else
      rows.back() += c;
  }
  return rows;
}

inline std::string rowsToFen(const std::vector<std::string>& rows, char side) {
  std::string fen;
  for (size_t r = 0; r < rows.size(); ++r) {
    int gap = 0;
    for (char c : rows[r]) {
      if (c == '.') {
        ++gap;
        continue;
      }
      if (gap) fen += static_cast<char>('0' + gap);
      gap = 0;
      fen += c;
    }
    if (gap) fen += static_cast<char>('0' + gap);
    if (r + 1 < rows.size()) fen += '/';
  }
  return fen + ' ' + side;
}

inline char sideOfFen(const std::string& fen) { return fen[fen.find(' ') + 1]; }

// Ranks reversed, colours swapped, the other side to move.
inline std::string colourMirror(const std::string& fen) {
  std::vector<std::string> rows = fenRows(fen);
  std::reverse(rows.begin(), rows.end());
  for (std::string& row : rows)
    for (char& c : row)
      c = std::isupper(static_cast<unsigned char>(c))
              ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
              : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return rowsToFen(rows, sideOfFen(fen) == 'w' ? 'b' : 'w');
}

// Files reversed.
inline std::string fileMirror(const std::string& fen) {
  std::vector<std::string> rows = fenRows(fen);
  for (std::string& row : rows) std::reverse(row.begin(), row.end());
  return rowsToFen(rows, sideOfFen(fen));
}

// Positions with every piece dropped at random on a square its kind may
// stand on (each piece but the kings present with probability 3/4, kings
// first so they always find a palace square): king
// walks, odd advisor placements and crowded lines that games rarely reach.
inline std::vector<std::string> randomPlacements(int count, unsigned seed) {
  buildTables();
  static const char letters[] = "kaabbnnrrccppppp";
  std::mt19937 rng(seed);
  std::vector<std::string> out;
  while (static_cast<int>(out.size()) < count) {
    std::vector<std::string> rows(10, std::string(9, '.'));
    for (int i = 0; i < 32; ++i) {
      // Black's king, red's king, then every other piece in code order.
      const int code = i < 2 ? i * 16 : i - 1 + (i >= 17);
      if (PieceTypeOf[code] != KING && rng() % 4 == 0) continue;
      std::vector<int> free;
      for (int sq = 0; sq < 256; ++sq)
        if (squareAllowedFor(code, sq) && rows[rankOf(sq) - RANK_TOP][fileOf(sq) - FILE_LEFT] == '.')
          free.push_back(sq);
      if (free.empty()) continue;  // its few squares are all taken
      const int sq = free[rng() % free.size()];
      const char c = letters[code & 15];
      rows[rankOf(sq) - RANK_TOP][fileOf(sq) - FILE_LEFT] =
          sideOfCode(code) == RED ? static_cast<char>(std::toupper(c)) : c;
    }
    out.push_back(rowsToFen(rows, rng() % 2 ? 'w' : 'b'));
  }
  return out;
}

}  // namespace evaltest
