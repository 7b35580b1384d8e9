// Shared set-up of the Board tests: the engine tables with a small synthetic
// score table, a brute-force legal-move generator, from-scratch key, score
// and attack computations, and a FEN writer. Everything here is written
// independently of the engine's incremental code so it can judge it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/engine_tables.h"
#include "board/board.h"
#include "board/lines.h"
#include "board/tables.h"
#include "movegen/movegen.h"
#include "board/zobrist.h"

namespace boardtest {

using enginetest::boardFromFen;
using enginetest::buildTables;
using enginetest::newBoard;

// ---------------------------------------------------------- from scratch
inline ZobristKey scratchKey(const Board& b) {
  ZobristKey k = 0;
  for (int sq = 0; sq < 256; ++sq)
    if (InBoard[sq] && b.squares[sq] < 32) k ^= zobristKind[PieceKindOf[b.squares[sq]]][sq];
  return b.sideToMove == BLACK ? k ^ sideKey : k;
}

inline int scratchScore(const Board& b) {
  int red = 0;
  for (int sq = 0; sq < 256; ++sq) {
    const int c = InBoard[sq] ? b.squares[sq] : EMPTY;
    if (c >= 32) continue;
    red += sideOfCode(c) == RED ? pieceSquareByIndex[c][sq] : -pieceSquareByIndex[c][sq];
  }
  return b.sideToMove == RED ? red : -red;
}

inline uint32_t scratchSignature(const Board& b) {
  uint32_t s = 0;
  for (int i = 0; i < 32; ++i)
    if (b.pieceList[i] != NO_SQUARE) s |= 1u << i;
  return s;
}

// Occupancy, piece list and squares agree with each other.
inline ::testing::AssertionResult consistent(const Board& b) {
  uint16_t rows[16] = {}, cols[16] = {};
  for (int sq = 0; sq < 256; ++sq) {
    const int c = b.squares[sq];
    if (!InBoard[sq]) {
      if (c != OFF_BOARD) return ::testing::AssertionFailure() << "frame square " << sq;
      continue;
    }
    if (c == EMPTY) continue;
    if (c >= 32) return ::testing::AssertionFailure() << "bad code on " << sq;
    if (b.pieceList[c] != sq) return ::testing::AssertionFailure() << "pieceList " << c;
    rows[rankOf(sq)] |= static_cast<uint16_t>(1u << (fileOf(sq) - 3));
    cols[fileOf(sq)] |= static_cast<uint16_t>(1u << (rankOf(sq) - 3));
  }
  for (int i = 0; i < 32; ++i)
    if (b.pieceList[i] != NO_SQUARE && b.squares[b.pieceList[i]] != i)
      return ::testing::AssertionFailure() << "piece " << i << " not on its square";
  for (int i = 0; i < 16; ++i)
    if (rows[i] != b.bitRows[i] || cols[i] != b.bitCols[i])
      return ::testing::AssertionFailure() << "bit lines differ at " << i;
  return ::testing::AssertionSuccess();
}

// Number of pieces strictly between two squares of one line.
inline int between(const Board& b, int a, int c) {
  const int step = rankOf(a) == rankOf(c) ? (c > a ? 1 : -1) : (c > a ? 16 : -16);
  int n = 0;
  for (int sq = a + step; sq != c; sq += step) n += b.squares[sq] != EMPTY;
  return n;
}

// Squares of side s's pieces that attack the other king, found by walking
// the board (kings facing on an open file included).
inline std::vector<int> scratchAttackers(const Board& b, int s) {
  std::vector<int> found;
  const int K = b.pieceList[kingIndex(otherSide(s))];
  for (int i = sideBase(s); i <= lastIndex(s); ++i) {
    const int P = b.pieceList[i];
    if (P == NO_SQUARE) continue;
    const int dr = rankOf(K) - rankOf(P), df = fileOf(K) - fileOf(P);
    const bool line = dr == 0 || df == 0;
    bool hit = false;
    switch (PieceTypeOf[i]) {
      case KING: hit = df == 0 && between(b, P, K) == 0; break;
      case ROOK: hit = line && between(b, P, K) == 0; break;
      case CANNON: hit = line && between(b, P, K) == 1; break;
      case HORSE:
        if (std::abs(dr) == 2 && std::abs(df) == 1)
          hit = b.squares[P + (dr > 0 ? 16 : -16)] == EMPTY;
        else if (std::abs(dr) == 1 && std::abs(df) == 2)
          hit = b.squares[P + (df > 0 ? 1 : -1)] == EMPTY;
        break;
      case PAWN: {
        const int forward = s == RED ? -16 : 16;
        const bool crossed = s == RED ? rankOf(P) <= 7 : rankOf(P) >= 8;
        hit = K == P + forward || (crossed && (K == P + 1 || K == P - 1));
        break;
      }
      default: break;
    }
    if (hit) found.push_back(P);
  }
  return found;
}

// ------------------------------------------------------------ move lists
// Every move obeying the piece rules (own king safety not yet tested).
inline std::vector<Move> candidateMoves(const Board& b) {
  std::vector<Move> out;
  const int side = b.sideToMove;
  for (int i = sideBase(side); i <= lastIndex(side); ++i) {
    const int from = b.pieceList[i];
    if (from == NO_SQUARE) continue;
    for (int to = 0; to < 256; ++to) {
      if (!InBoard[to]) continue;
      if (PieceTypeOf[i] == ELEPHANT && relativeRow(side, to) > 4) continue;
      const Move m = moveFromTo(from, to);
      if (isPseudoLegal(b, side, m)) out.push_back(m);
    }
  }
  return out;
}

inline std::vector<Move> legalMoves(Board& b) {
  std::vector<Move> out;
  for (const Move& m : candidateMoves(b))
    if (!b.makeMove(m)) {
      b.unmakeMove();
      out.push_back(m);
    }
  return out;
}

inline uint64_t perft(Board& b, int depth) {
  if (depth == 0) return 1;
  uint64_t n = 0;
  for (const Move& m : candidateMoves(b)) {
    if (b.makeMove(m)) continue;
    n += depth == 1 ? 1 : perft(b, depth - 1);
    b.unmakeMove();
  }
  return n;
}

// ------------------------------------------------------------------- FEN
using enginetest::toFen;

// Piece kind (14 when empty) of every playing square, for comparing boards
// whose piece indices may differ.
inline std::vector<int> kindsOf(const Board& b) {
  std::vector<int> k;
  for (int sq = 0; sq < 256; ++sq)
    if (InBoard[sq]) k.push_back(PieceKindOf[b.squares[sq] < 32 ? b.squares[sq] : EMPTY]);
  return k;
}

}  // namespace boardtest
