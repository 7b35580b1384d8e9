// Sessions with the built engine over a real pipe: its replies, and a reply
// judged by the engine's own (perft-checked) generator.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/engine.h"
#include "common/process.h"

namespace frontendtest {

// A middle game without rooks, far from any opening book.
constexpr const char* MIDGAME_FEN = "2bakab2/9/2n1c1n2/p1p1p1p1p/9/9/P1P1P1P1P/2N1C1N2/9/2BAKAB2 w";
// Red's king alone can only go to e1 or f0 (d0 would face the black king).
constexpr const char* TWO_MOVES_FEN = "3k5/9/9/9/9/9/9/9/9/4K4 w";
// Black to move has no legal move.
constexpr const char* MATED_FEN = "3k5/3R5/3R5/9/9/9/9/9/9/4K4 b";

inline bool isFinal(const std::string& line) {
  return kit::startsWith(line, "bestmove ") || line == "nobestmove";
}

// The replies after "ucciok" (or all lines without it), less the search's "info" lines.
inline std::vector<std::string> replies(const kit::Process& p) {
  std::vector<std::string> kept;
  for (const std::string& l : p.lines)
    if (l == "ucciok") kept.clear();
    else if (!kit::startsWith(l, "info ")) kept.push_back(l);
  return kept;
}

// "bestmove h2e2 ponder h9g7" -> "h2e2"; "" for any other line.
inline std::string moveOf(const std::string& reply) {
  std::istringstream words(reply);
  std::string first, move;
  words >> first >> move;
  return first == "bestmove" ? move : "";
}

// The reply's move is legal after the FEN and the moves.
inline ::testing::AssertionResult legalAfter(const std::string& fen, const std::string& moves,
                                             const std::string& reply) {
  auto b = kit::boardFromFen(fen);
  std::istringstream played(moves);
  for (std::string m; played >> m;)
    if (!kit::play(*b, m)) return ::testing::AssertionFailure() << "cannot replay " << m;
  if (!kit::play(*b, moveOf(reply))) return ::testing::AssertionFailure() << "illegal reply: " << reply;
  return ::testing::AssertionSuccess();
}

}  // namespace frontendtest
