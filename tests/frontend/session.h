// Sessions with the built engine over a real pipe: its replies, and a reply
// judged by the engine's own (perft-checked) generator.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
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
// Red mates with e1d1, which the move order alone does not find.
constexpr const char* MATE_IN_ONE_FEN = "3k5/9/9/9/9/9/9/9/4R4/4K4 w";

using Clock = std::chrono::steady_clock;
inline long msSince(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}
// Answers may come this much after the clock runs out, and a "stop" is
// answered within STOP_MS: the pipe, a loaded machine, and the search's looks
// at the input (every 8192 nodes) that come slower under the sanitizers.
#if defined(__SANITIZE_THREAD__)
constexpr long GRACE_MS = 2000, STOP_MS = 2000;  // several threads, each many times slower
#elif defined(__SANITIZE_ADDRESS__)
constexpr long GRACE_MS = 400, STOP_MS = 300;
#else
constexpr long GRACE_MS = 150, STOP_MS = 100;
#endif

inline bool isFinal(const std::string& line) { return kit::startsWith(line, "bestmove ") || line == "nobestmove"; }

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
  return kit::startsWith(reply, "bestmove ") ? reply.substr(9, reply.find(' ', 9) - 9) : "";
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
