// The exchange evaluator on hand-made exchanges: screens that make or
// unmake a cannon's defence, a horse's blocked leg, a rook behind a rook.
#include <gtest/gtest.h>

#include "common/engine.h"
#include "movegen/see.h"

namespace {

Move moveOf(Board& b, const std::string& text) {
  for (Move m : kit::legalMoves(b))
    if (kit::moveText(m) == text) return m;
  ADD_FAILURE() << text << " is not legal";
  return NULL_MOVE;
}

TEST(StaticExchange, ScreensLegsAndBatteries) {
  const int pawn = SEE_VALUE[PAWN], rook = SEE_VALUE[ROOK], horse = SEE_VALUE[HORSE];
  struct Row { const char* fen; const char* move; int value; };
  const Row rows[] = {
      {"3kc4/4a4/9/4p4/9/4R4/9/9/9/5K3 w", "e4e6", pawn - rook},  // cannon over its advisor
      {"3kc4/9/9/4p4/9/4R4/9/9/9/5K3 w", "e4e6", pawn},           // no screen, no defence
      {"3k5/3n5/9/4p4/9/4R4/9/9/9/5K3 w", "e4e6", pawn - rook},   // the horse guards
      {"3k5/3n5/3a5/4p4/9/4R4/9/9/9/5K3 w", "e4e6", pawn},        // its leg is blocked
      {"3k5/3n5/9/4n4/9/4R4/4R4/9/9/5K3 w", "e4e6", horse - rook + horse},  // rook behind
      {"3k5/9/9/4r4/9/4P4/9/4C4/9/5K3 w", "e2e6", rook},          // cannon over a pawn
  };
  for (const Row& r : rows) {
    auto b = kit::boardFromFen(r.fen);
    const std::string before = kit::toFen(*b);
    const Move m = moveOf(*b, r.move);
    EXPECT_EQ(staticExchange(*b, m), r.value) << r.fen;
    EXPECT_EQ(exchangeAtLeast(*b, m, r.value), true) << r.fen;
    EXPECT_EQ(exchangeAtLeast(*b, m, r.value + 1), false) << r.fen;
    EXPECT_EQ(kit::toFen(*b), before) << "the board is left as it was";
    EXPECT_TRUE(kit::matchesScratch(*b));
  }
}

}  // namespace
