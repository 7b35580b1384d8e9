// The staged move picker over positions of random games, with stored moves
// (hash move, killers) of every kind: real, illegal, the enemy's, nonsense;
// its sorts; and the exchange evaluator on hand-made exchanges.
#include <set>

#include "common/engine.h"
#include "frontend/movetext.h"
#include "movegen/captureorder.h"
#include "movegen/history.h"
#include "movegen/picker.h"
#include "movegen/see.h"

namespace {

std::vector<Move> drain(MovePicker& p, bool quiescence) {
  std::vector<Move> out;
  for (Move m; out.size() <= 300 && !isNullMove(m = quiescence ? p.nextQuiescence() : p.next());) out.push_back(m);
  EXPECT_TRUE(isNullMove(quiescence ? p.nextQuiescence() : p.next()));  // stays exhausted
  return out;
}

// A stored move as the table or the killers may hand it over (any but an
// elephant's step over the river: no position has one to store).
Move randomStored(Board& b, std::mt19937& rng) {
  Move moves[MAX_MOVES];
  const int kind = int(rng() % 5), to = 0x33 + int(rng() % 10) * 16 + int(rng() % 9);
  if (kind == 0) return NULL_MOVE;
  if (kind <= 2) {
    const int n = generateAllMoves(b, int(rng() % 2), moves);
    return n ? moves[rng() % n] : NULL_MOVE;
  }
  const int from = kind == 3 ? 0x33 + int(rng() % 10) * 16 + int(rng() % 9) : int(rng() % 256);
  const int index = b.squares[from] & 15;
  return index == ELEPHANT_INDEX || index == ELEPHANT_INDEX + 1 ? NULL_MOVE : moveFromTo(from, to);
}

std::set<int> keys(const std::vector<Move>& moves) {
  std::set<int> out;
  for (Move m : moves) out.insert(m.from * 256 + m.to);
  return out;
}

// Every pseudo-legal move exactly once (the legal ones when in check), the
// hash move first when playable and never when not; the quiescence picker
// every evasion in check, else the captures worth trying, quiet moves only
// where quiet checks are allowed, nothing unplayable.
TEST(Picker, EveryMoveOnceHashMoveFirstFalseStoredMovesDropped) {
  std::mt19937 rng(2024);
  int checks = 0, hashFirst = 0;
  static MovePicker frames[PICKER_FRAMES];
  static HistoryTables history;
  historyClear(history, true);
  const auto pickerAt = [](int ply) { return &frames[PICKER_SENTINEL_FRAMES + ply]; };
  kit::randomGames(100, 90, 99, [&](Board& b) {
    if (HasFatalFailure()) return;
    if (pickerAt(0)->board != &b) initPickers(frames, &b, &history);
    const std::string fen = kit::toFen(b);
    const int side = b.sideToMove;
    Move all[MAX_MOVES];
    const std::vector<Move> generated(all, all + generateAllMoves(b, side, all)), legal = kit::legalMoves(b);
    for (bool quiescence : {false, true}) {
      MovePicker& p = *pickerAt(1 + int(rng() % 30));
      p.clearKillers();
      for (Move* stored : {&p.killer1(), &p.killer2(), &p.captureKillers[0], &p.captureKillers[1]}) *stored = randomStored(b, rng);
      p.threatCount = int(rng() % 4);
      p.quietCheckNode = rng() % 2 != 0;
      const Move hash = randomStored(b, rng);
      p.reset(checkedTableMove(b, hash));
      const std::vector<Move> seq = drain(p, quiescence);
      const std::set<int> got = keys(seq);
      ASSERT_EQ(got.size(), seq.size()) << fen;
      for (Move m : seq) ASSERT_TRUE(isPseudoLegal(b, side, m)) << fen << " " << kit::moveText(m);
      if (isPseudoLegal(b, side, hash) && !isNullMove(hash)) {
        ASSERT_TRUE(!seq.empty() && sameMove(seq[0], hash)) << fen << " " << kit::moveText(hash);
        hashFirst += !quiescence;
      }
      for (Move m : legal)
        ASSERT_TRUE(!(b.inCheck() || !quiescence) || got.count(m.from * 256 + m.to)) << fen << " " << kit::moveText(m);
      if (b.inCheck()) {
        checks += !quiescence;
      } else if (!quiescence) {
        ASSERT_EQ(got, keys(generated)) << fen;
      } else {
        const bool quietsAllowed = p.quietCheckNode && p.threatCount >= QUIET_CHECK_MIN_THREATS;
        for (Move m : generated) {
          const bool worthIt = !isQuiet(b, m) && scoreCapture(b, &m) >= minCaptureScore;
          ASSERT_TRUE(!worthIt || got.count(m.from * 256 + m.to)) << fen << " " << kit::moveText(m);
        }
        for (Move m : seq) ASSERT_TRUE(!isQuiet(b, m) || quietsAllowed || sameMove(m, hash)) << fen << " " << kit::moveText(m);
      }
    }
    MovePicker& root = *pickerAt(0);
    const int n = root.generateRootMoves();
    ASSERT_EQ(kit::movesText(std::vector<Move>(root.moves, root.moves + n)), kit::movesText(legal)) << fen;
  });
  EXPECT_GT(checks, 100);
  EXPECT_GT(hashFirst, 500);
}

// The sorts are stable, best first: equal scores keep their order.
TEST(Picker, SortsAreStable) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    const int n = int(rng() % 40);
    std::vector<Move> a(n + 1);  // sortMoves writes a sentinel past the end
    for (int i = 0; i < n; ++i) a[i] = moveFromTo(i, 0, int(rng() % 5) - 2);
    std::vector<Move> b(a), expected(a.begin(), a.begin() + n);
    std::stable_sort(expected.begin(), expected.end(), [](Move x, Move y) { return x.score > y.score; });
    sortMoves(a.data(), 0, n);
    while (!bubblePass(b.data(), 0, n)) {}
    for (int i = 0; i < n; ++i) ASSERT_TRUE(a[i].from == expected[i].from && b[i].from == expected[i].from);
  }
}

// Screens that make or unmake a cannon's defence, a horse's blocked leg, a
// rook behind a rook.
TEST(StaticExchange, ScreensLegsAndBatteries) {
  const int pawn = SEE_VALUE[PAWN], rook = SEE_VALUE[ROOK], horse = SEE_VALUE[HORSE];
  const struct { const char *fen, *move; int value; } rows[] = {
      {"3kc4/4a4/9/4p4/9/4R4/9/9/9/5K3 w", "e4e6", pawn - rook},  // cannon over its advisor
      {"3kc4/9/9/4p4/9/4R4/9/9/9/5K3 w", "e4e6", pawn},           // no screen, no defence
      {"3k5/3n5/9/4p4/9/4R4/9/9/9/5K3 w", "e4e6", pawn - rook},   // the horse guards
      {"3k5/3n5/3a5/4p4/9/4R4/9/9/9/5K3 w", "e4e6", pawn},        // its leg is blocked
      {"3k5/3n5/9/4n4/9/4R4/4R4/9/9/5K3 w", "e4e6", horse - rook + horse},  // rook behind
      {"3k5/9/9/4r4/9/4P4/9/4C4/9/5K3 w", "e2e6", rook},          // cannon over a pawn
  };
  for (const auto& r : rows) {
    auto b = kit::boardFromFen(r.fen);
    const std::string before = kit::toFen(*b);
    ASSERT_TRUE(kit::isLegal(*b, r.move)) << r.fen;
    const Move m = textToMove(r.move);
    EXPECT_EQ(staticExchange(*b, m), r.value) << r.fen;
    EXPECT_EQ(exchangeAtLeast(*b, m, r.value), true) << r.fen;
    EXPECT_EQ(exchangeAtLeast(*b, m, r.value + 1), false) << r.fen;
    EXPECT_EQ(kit::toFen(*b), before) << "the board is left as it was";
    EXPECT_TRUE(kit::matchesScratch(*b));
  }
}

}  // namespace
