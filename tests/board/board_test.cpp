// The position: FEN set-up, make and unmake over random walks and a trimmed
// long game, against the test kit's from-scratch values and rule walk.
#include <cstddef>
#include <cstring>

#include "common/engine.h"
#include "movegen/movegen.h"

namespace {

constexpr const char* EMPTY_FIELD = "9/9/9/9/9/9/9/9/9/9";

// Whatever the text, set-up ends in a sound position or an empty board.
::testing::AssertionResult harmless(Board& b, const std::string& text, FenStatus status) {
  if (status == FenStatus::Ok) return kit::matchesScratch(b);
  b.sideToMove = RED;  // the side read stays; the board must be empty
  if (kit::toFen(b) != EMPTY_FIELD + std::string(" w") || b.height() != 0 || !kit::matchesScratch(b))
    return ::testing::AssertionFailure() << "refused but not emptied: " << text;
  return ::testing::AssertionSuccess();
}

TEST(Fen, ReadWrittenBackOrRefusedLeavingAnEmptyBoardWhateverTheText) {
  const std::string k = "3k5/9/9/9/9/9/9/9/", start = "rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR";
  const struct { std::string text; FenStatus status; std::string read; } cases[] = {
      {START_FEN, FenStatus::Ok, start + " w"},
      {start + " b - - 0 1", FenStatus::Ok, start + " b"},
      {k + "4A4/4K4 r", FenStatus::Ok, k + "4A4/4K4 w"},
      {k + "4A4/4K4 w moves e1d2", FenStatus::Ok, k + "4A4/4K4 w"},
      {k + "4A4/4K4", FenStatus::Ok, k + "4A4/4K4 w"},  // no side field: red
      {k + "4A4/4K4 moves e0e1", FenStatus::Ok, k + "4A4/4K4 w"},
      {k + "4A4/4K4  b", FenStatus::Ok, k + "4A4/4K4 b"},
      {k + "4A4/#4K w", FenStatus::Ok, k + "4A4/4K4 w"},  // a short rank, # skipped
      {"2e1k4/9/h8/9/9/9/9/9/9/2E2KH2 w", FenStatus::Ok, "2b1k4/9/n8/9/9/9/9/9/9/2B2KN2 w"},
      {"3k5/9/9/9/1P7/9/9/9/9/4K4 w", FenStatus::Ok, "3k5/9/9/9/1P7/9/9/9/9/4K4 w"},
      {k + "9R/4K4 w", FenStatus::BadText, ""},          // ten squares in a rank
      {k + "8RR/R3K4 w", FenStatus::BadText, ""},
      {k + "9/4K4/9 w", FenStatus::BadText, ""},         // eleven ranks
      {"3k5/9/9/9/9/9/9/R7R/9/R3K4 w", FenStatus::BadText, ""},  // a third rook
      {"3k5/9/9/9/9/1P7/9/9/9/4K4 w", FenStatus::BadSquare, ""},  // no red pawn reaches b4
      {"9/9/9/9/9/9/9/9/9/4K4 w", FenStatus::MissingKing, ""},
      {"", FenStatus::Empty, ""},
      {k + "9/K8 w", FenStatus::BadSquare, ""},       // king off the palace
      {k + "9/4AK3 w", FenStatus::BadSquare, ""},     // advisor between its points
      {k + "9/1B2K4 w", FenStatus::BadSquare, ""},    // elephant off its points
      {"3k5/9/9/9/B8/9/9/9/9/4K4 w", FenStatus::BadSquare, ""},  // elephant over the river
      {"3k5/9/9/9/9/9/9/P8/9/4K4 w", FenStatus::BadSquare, ""},  // pawn behind its start
      {"3ka4/9/9/9/9/9/9/9/9/4K4 w", FenStatus::BadSquare, ""},
  };
  for (const auto& c : cases) {
    auto b = kit::boardFromFen(START_FEN);
    ASSERT_FALSE(b->makeMove(kit::legalMoves(*b)[0]));  // a game in progress is replaced
    const FenStatus status = b->setFen(c.text.c_str());
    EXPECT_TRUE(status == c.status && (status != FenStatus::Ok || kit::toFen(*b) == c.read))
        << c.text << ": status " << int(status) << ", read as " << kit::toFen(*b);
    EXPECT_TRUE(harmless(*b, c.text, status));
  }
  EXPECT_EQ(kit::newBoard()->setFen(nullptr), FenStatus::Empty);
  // Any text at all.
  auto b = kit::newBoard();
  std::mt19937 rng(99);
  const std::string alphabet = "kabnrcpehKABNRCPEH0123456789/ -wrbx";
  std::vector<std::string> texts;
  for (int trial = 0; trial < 4000; ++trial) {
    std::string text(rng() % 120, ' ');
    for (char& c : text) c = trial % 2 ? alphabet[rng() % alphabet.size()] : char(rng() % 255 + 1);
    texts.push_back(text);
  }
  for (const std::string& run : {std::string(1 << 20, '/'), std::string(1 << 20, '9'), std::string(1 << 20, 'R')})
    texts.insert(texts.end(), {run, "4k4/9/9/9/9/9/9/9/9/3K5 " + run, run + " w"});
  for (const std::string& text : texts) ASSERT_TRUE(harmless(*b, text, b->setFen(text.c_str())));
}

// What a make and unmake must give back: squares, lists, bits, side, the records
// below the current one and its position fields (`raw` more records as they are).
std::string state(const Board& b, int raw = 0) {
  std::string s(reinterpret_cast<const char*>(&b), offsetof(Board, movingPiece));
  s.append(reinterpret_cast<const char*>(b.plyRecords), (b.currentPly - b.plyRecords + raw) * sizeof(PlyRecord));
  const PlyRecord& r = *b.currentPly;
  return s + std::to_string(r.zobrist) + " " + std::to_string(r.incrementalScore) + " " +
         std::to_string(r.materialSignature) + " " + std::to_string(r.captureExtensionBudget);
}

// Every check query of the board against the walk.
void expectChecksAgree(Board& b) {
  const std::string fen = kit::toFen(b);
  ASSERT_EQ(b.inCheck(), kit::kingAttacked(b, b.sideToMove)) << fen;
  for (int s = BLACK; s <= RED; ++s) {
    const bool attacked = kit::kingAttacked(b, otherSide(s));
    int sq = 0;
    Move capture = moveFromTo(0x77, 0x77);  // left as it is when there is none
    ASSERT_EQ(b.attacksKing(s), attacked) << fen;
    const int code = b.findKingAttacker(s, &sq);
    ASSERT_EQ(b.findKingCapture(s, &capture), attacked) << fen;
    ASSERT_TRUE(attacked ? code == b.squares[sq] && code >> 4 == s && capture.from == sq && kit::reaches(b, capture) &&
                               capture.to == b.kingSquare(otherSide(s))
                         : code == EMPTY && capture.from == 0x77)
        << fen << " " << kit::moveText(capture);
  }
}

// Random walks with null moves now and then: every candidate the generator
// offers is made or refused as the walk says, a refusal changes nothing,
// each position matches its scratch values, and unwinding restores it all.
void randomWalk(const std::string& fen, unsigned seed, int length) {
  auto b = kit::boardFromFen(fen);
  std::mt19937 rng(seed);
  std::vector<std::string> before;
  std::vector<bool> nulls;
  for (int ply = 0; ply < length; ++ply) {
    ASSERT_TRUE(kit::matchesScratch(*b));
    ASSERT_NO_FATAL_FAILURE(expectChecksAgree(*b));
    before.push_back(state(*b));
    const int side = b->sideToMove;
    nulls.push_back(!b->inCheck() && rng() % 8 == 0);
    if (nulls.back()) {
      b->makeNullMove();
      continue;
    }
    Move moves[MAX_MOVES];
    std::vector<Move> legal;
    for (int i = 0, n = generateAllMoves(*b, side, moves); i < n; ++i) {
      const std::string unmoved = state(*b, 2);
      const bool leaves = b->leavesKingAttacked(moves[i], side);
      ASSERT_EQ(b->makeMove(moves[i]), leaves) << kit::toFen(*b) << " " << kit::moveText(moves[i]);
      if (leaves) {
        ASSERT_EQ(state(*b, 2), unmoved);
        continue;
      }
      ASSERT_TRUE(kit::matchesScratch(*b));
      ASSERT_TRUE(b->inCheck() == kit::kingAttacked(*b, b->sideToMove));
      b->unmakeMove();
      ASSERT_EQ(state(*b), before.back());
      legal.push_back(moves[i]);
    }
    if (legal.empty()) {
      before.pop_back(), nulls.pop_back();
      break;
    }
    ASSERT_FALSE(b->makeMove(legal[rng() % legal.size()]));
  }
  for (; !before.empty(); before.pop_back(), nulls.pop_back()) {
    nulls.back() ? b->unmakeNullMove() : b->unmakeMove();
    ASSERT_EQ(state(*b), before.back()) << fen << " seed " << seed << " height " << b->height();
  }
}

TEST(MakeMove, RandomWalksKeepEveryInvariantAndUnwindExactly) {
  std::mt19937 rng(5);
  unsigned seed = 1;
  for (int start = 0; start < 48 && !HasFatalFailure(); ++start)
    randomWalk(start < 8 ? START_FEN : kit::randomPlacement(rng), seed++, 160);
}

// A long game trimmed whenever it reaches the limit keeps its position, its
// check flag, and capture links that stay inside the records kept.
TEST(GameRecords, TrimmingKeepsTheGameTail) {
  auto b = kit::boardFromFen(START_FEN);
  std::mt19937 rng(3);
  int trims = 0;
  for (int ply = 0; ply < 2000; ++ply) {
    if (b->height() >= GAME_RECORD_LIMIT) {
      const bool inCheck = b->inCheck();
      b->trimHistory(GAME_RECORDS_KEPT), ++trims;
      ASSERT_TRUE(b->height() == GAME_RECORDS_KEPT && b->inCheck() == inCheck) << b->height();
      ASSERT_TRUE(kit::matchesScratch(*b));
      for (const PlyRecord* r = b->plyBase; r < b->currentPly; ++r)  // capture links stay inside the game
        ASSERT_TRUE(r->lastCaptureRecord >= b->plyBase - 1 && r->lastCaptureRecord <= r);
    }
    const std::vector<Move> legal = kit::legalMoves(*b);
    if (legal.empty()) {  // mated: start again from the opening
      b = kit::boardFromFen(START_FEN), trims = 0;
      continue;
    }
    ASSERT_FALSE(b->makeMove(legal[rng() % legal.size()]));
  }
  EXPECT_GE(trims, 3);
}

}  // namespace
