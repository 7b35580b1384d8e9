// Helpers of the sessions with the live engine: the handshake, the final
// lines of go commands, and a legality check of a "bestmove" reply.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/engine_tables.h"
#include "frontend/live_engine.h"
#include "frontend/movetext.h"
#include "movegen/movegen.h"

// The move of a "bestmove" line, played on the position of a FEN and a move
// list with the engine's own rules: true when it is legal there.
inline bool legalAfter(const std::string& fen, const std::string& moves, const std::string& reply) {
  std::istringstream words(reply);
  std::string word, move;
  words >> word >> move;
  if (word != "bestmove") return false;
  auto board = enginetest::boardFromFen(fen);
  std::istringstream played(moves);
  while (played >> word)
    if (board->makeMove(textToMove(word.c_str()))) return false;
  const Move m = textToMove(move.c_str());
  return !isNullMove(m) && isPseudoLegal(*board, board->sideToMove, m) && !board->makeMove(m);
}

inline int countFinalLines(const std::vector<std::string>& lines) {
  int n = 0;
  for (const std::string& l : lines) n += startsWith(l, "bestmove") || startsWith(l, "nobestmove");
  return n;
}

inline void handshake(LiveEngine& engine) {
  engine.send("ucci");
  ASSERT_EQ(engine.waitFor("ucciok"), "ucciok");
}

// The handshake, then the book emptied: the session's searches really search.
inline void handshakeWithoutBook(LiveEngine& engine) {
  handshake(engine);
  engine.send("setoption bookfiles");
}
