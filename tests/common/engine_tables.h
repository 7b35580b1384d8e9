// Engine tables for unit tests, built once per process: piece and line
// tables, keys, move lists, and a synthetic score table (fixed material per
// type, pseudo-random placement values) so that incremental scores are
// exercised without the real evaluation script.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "board/board.h"
#include "board/movelists.h"
#include "board/tables.h"
#include "board/zobrist.h"

namespace enginetest {

inline void buildTables() {
  static bool built = false;
  if (built) return;
  built = true;
  buildPieceTables();
  initZobrist();
  const int value[PIECE_TYPE_COUNT] = {2000, 40, 45, 180, 400, 190, 30};
  std::mt19937 rng(12345);
  for (int kind = 0; kind < PIECE_KIND_COUNT; ++kind) {
    pieceValue[kind] = value[kind % 7];
    for (int sq = 0; sq < 256; ++sq)
      pieceSquare[kind][sq] = InBoard[sq] ? static_cast<int>(rng() % 201) - 100 : 0;
  }
  for (int i = 0; i < 32; ++i)
    for (int sq = 0; sq < 256; ++sq)
      pieceSquareByIndex[i][sq] =
          InBoard[sq] ? pieceSquare[PieceKindOf[i]][sq] + pieceValue[PieceKindOf[i]] : 0;
  buildMoveDelta();
  buildMoveTables();
}

// A fresh heap Board (it is far too big for the stack).
inline std::unique_ptr<Board> newBoard() {
  buildTables();
  std::unique_ptr<Board> b(new Board);
  b->init();
  return b;
}

inline std::unique_ptr<Board> boardFromFen(const std::string& fen) {
  auto b = newBoard();
  EXPECT_EQ(b->setFen(fen.c_str()), FenStatus::Ok) << fen;
  return b;
}

// The board and side fields of the board's position.
inline std::string toFen(const Board& b) {
  static const char letters[] = "kabnrcpKABNRCP";
  std::string fen;
  for (int row = 0; row < 10; ++row) {
    int gap = 0;
    for (int file = 0; file < 9; ++file) {
      const int c = b.squares[squareAt(file, row)];
      if (c == EMPTY) {
        ++gap;
        continue;
      }
      if (gap) fen += static_cast<char>('0' + gap);
      gap = 0;
      fen += letters[PieceKindOf[c]];
    }
    if (gap) fen += static_cast<char>('0' + gap);
    if (row < 9) fen += '/';
  }
  return fen + (b.sideToMove == RED ? " w" : " b");
}

}  // namespace enginetest
