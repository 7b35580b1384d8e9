// The staged move pickers: stored moves (hash move, killers) offered once
// and only when playable, the stage order in and out of check, the
// quiescence picker's limits, the stable sorts, and over positions from
// random games, exactly the right move set without duplicates.
#include "movegen/captureorder.h"
#include "movegen/checks.h"
#include "movegen/picker.h"
#include "search/history.h"
#include "search/searchstate.h"
#include "support.h"

namespace movegentest {
namespace {

struct PickerTest : ::testing::Test {
  void SetUp() override {
    buildTables();
    buildHistoryTables();
  }
  MovePicker& frame(Board& b, int ply = 1) {
    if (pickerAt(0)->board != &b) initPickers(&b);
    MovePicker& p = *pickerAt(ply);
    p.clearKillers();
    return p;
  }
};

Move mv(int fromFile, int fromRow, int toFile, int toRow) {
  return moveFromTo(squareAt(fromFile, fromRow), squareAt(toFile, toRow));
}

std::vector<Move> drain(MovePicker& p, bool quiescence = false) {
  std::vector<Move> out;
  for (Move m; !isNullMove(m = quiescence ? p.nextQuiescence() : p.next());) {
    out.push_back(m);
    if (out.size() > 300) break;  // a runaway picker fails below, not here
  }
  EXPECT_TRUE(isNullMove(quiescence ? p.nextQuiescence() : p.next()));  // stays exhausted
  return out;
}

std::vector<int> keysOf(const std::vector<Move>& v) { return keys(v.data(), static_cast<int>(v.size())); }

int countOf(const std::vector<Move>& v, Move m) {
  return static_cast<int>(std::count_if(v.begin(), v.end(), [&](Move x) { return sameMove(x, m); }));
}

// Red rooks on d5 and c3 take the rook on c5 (504 each) and the crossed
// pawn on e3 (60); d5 takes the advisor on d10 for 3, below the good-capture
// threshold.
const char* const CAPTURES_FEN = "3ak4/9/9/9/p8/2rR5/9/2R1p4/9/3K5 w";
const Move TAKE_ROOK_D = mv(3, 5, 2, 5), TAKE_ROOK_C = mv(2, 7, 2, 5),
           TAKE_PAWN = mv(2, 7, 4, 7), TAKE_ADVISOR = mv(3, 5, 3, 0),
           KING_STEP = mv(3, 9, 3, 8);

TEST_F(PickerTest, HashCaptureComesFirstAndOnlyOnce) {
  auto b = boardFromFen(CAPTURES_FEN);
  MovePicker& p = frame(*b);
  p.reset(TAKE_ROOK_C);
  const std::vector<Move> seq = drain(p);
  ASSERT_FALSE(seq.empty());
  EXPECT_TRUE(sameMove(seq[0], TAKE_ROOK_C));
  EXPECT_EQ(seq[0].score, HASH_MOVE_SCORE);
  EXPECT_EQ(countOf(seq, TAKE_ROOK_C), 1);
  EXPECT_FALSE(hasDuplicates(keysOf(seq)));
}

TEST_F(PickerTest, GoodCapturesThenKillersThenTheRest) {
  auto b = boardFromFen(CAPTURES_FEN);
  MovePicker& p = frame(*b);
  p.killer1() = TAKE_PAWN;     // a good capture: offered with the captures
  p.killer2() = TAKE_ADVISOR;  // a bad one: offered in its killer stage
  p.reset(NULL_MOVE);
  const std::vector<Move> seq = drain(p);
  ASSERT_GE(seq.size(), 5u);
  EXPECT_EQ(seq[0].score, 504);
  EXPECT_EQ(seq[1].score, 504);
  EXPECT_TRUE(sameMove(seq[2], TAKE_PAWN));
  EXPECT_TRUE(sameMove(seq[3], TAKE_ADVISOR));
  EXPECT_EQ(p.killer1Tried, 0);
  EXPECT_EQ(p.killer2Tried, 1);
  for (size_t i = 4; i < seq.size(); ++i) EXPECT_TRUE(isQuiet(*b, seq[i])) << i;
  EXPECT_EQ(sorted(keysOf(seq)), sorted(legalKeys(*b)));  // no king in danger here
  EXPECT_FALSE(hasDuplicates(keysOf(seq)));
}

TEST_F(PickerTest, StoredMovesOnlyWhenPlayable) {
  auto b = boardFromFen(CAPTURES_FEN);
  const Move fromEmptyOntoEnemy = mv(5, 5, 2, 5);  // no piece on f5
  const Move enemyPiece = mv(2, 5, 2, 4);          // black's rook
  const Move blocked = mv(2, 7, 2, 3);             // c3 rook through c5
  const Move stored[][3] = {{fromEmptyOntoEnemy, enemyPiece, blocked},
                            {enemyPiece, fromEmptyOntoEnemy, KING_STEP},
                            {KING_STEP, KING_STEP, blocked}};
  for (const auto& s : stored) {
    for (bool quiescence : {false, true}) {
      MovePicker& p = frame(*b);
      p.killer1() = s[1];
      p.killer2() = s[2];
      p.captureKillers[0] = s[1];
      p.captureKillers[1] = s[2];
      p.threatCount = 2;
      checkPlyLimit = p.ply;
      p.reset(s[0]);
      const std::vector<Move> seq = drain(p, quiescence);
      EXPECT_FALSE(hasDuplicates(keysOf(seq)));
      for (Move m : seq) EXPECT_TRUE(isPseudoLegal(*b, RED, m)) << key(m);
      if (!quiescence) {
        EXPECT_EQ(sorted(keysOf(seq)), sorted(legalKeys(*b)));
      }
      if (sameMove(s[0], KING_STEP)) {
        EXPECT_TRUE(sameMove(seq.at(0), KING_STEP));
      }
    }
  }
}

TEST_F(PickerTest, InCheckCapturesOfTheCheckerThenKillersThenEvasions) {
  // The black rook on e5 checks; a5 takes it, the horse blocks, the king steps.
  auto b = boardFromFen("4k4/9/9/9/9/R3r4/9/2N6/9/4K4 w");
  ASSERT_TRUE(b->inCheck());
  MovePicker& p = frame(*b);
  const Move quietKiller = mv(0, 5, 0, 4);
  p.killer1() = quietKiller;
  p.reset(NULL_MOVE);
  const std::vector<Move> seq = drain(p);
  ASSERT_GE(seq.size(), 3u);
  EXPECT_TRUE(sameMove(seq[0], mv(0, 5, 4, 5)));
  EXPECT_TRUE(sameMove(seq[1], quietKiller));
  Move checkers[MAX_CHECKERS], rest[MAX_MOVES];
  const int nc = findCheckers(*b, BLACK, checkers);
  const int n = generateEvasions(*b, RED, checkers, nc, rest, EVADE_BLOCK | EVADE_KING);
  EXPECT_EQ(sorted(keys(seq.data() + 2, static_cast<int>(seq.size()) - 2)), sorted(keys(rest, n)));
  EXPECT_TRUE(countOf(seq, mv(2, 7, 4, 8)) == 1 && countOf(seq, mv(2, 7, 4, 6)) == 1);
}

TEST_F(PickerTest, QuiescenceOffersQuietMovesOnlyAtTheHandOverUnderThreat) {
  auto b = boardFromFen(CAPTURES_FEN);
  const Move rookCheck = mv(3, 5, 4, 5);  // d5-e5 checks the king on e10
  struct Case { int limitOffset, threats; bool quiets; };
  for (Case c : {Case{0, 2, true}, Case{-1, 2, false}, Case{0, 1, false}, Case{1, 5, true}}) {
    MovePicker& p = frame(*b, 4);
    p.killer1() = KING_STEP;
    p.threatCount = c.threats;
    checkPlyLimit = p.ply + c.limitOffset;
    p.reset(NULL_MOVE);
    const std::vector<Move> seq = drain(p, true);
    EXPECT_FALSE(hasDuplicates(keysOf(seq)));
    int quiets = 0;
    for (Move m : seq) quiets += isQuiet(*b, m);
    EXPECT_EQ(quiets > 0, c.quiets) << c.limitOffset << " " << c.threats;
    EXPECT_EQ(countOf(seq, rookCheck), c.quiets ? 1 : 0);
    EXPECT_EQ(countOf(seq, KING_STEP), c.quiets ? 1 : 0);
    EXPECT_EQ(countOf(seq, TAKE_ADVISOR), 1);  // scores 3: still a quiescence capture
  }
}

TEST_F(PickerTest, QuiescenceInCheckReturnsEveryEvasionWhateverTheLimits) {
  auto b = boardFromFen("4k4/9/9/9/9/R3r4/9/2N6/9/4K4 w");
  MovePicker& p = frame(*b, 9);
  p.threatCount = 0;
  checkPlyLimit = 0;
  p.reset(NULL_MOVE);
  const std::vector<Move> seq = drain(p, true);
  Move checkers[MAX_CHECKERS], all[MAX_MOVES];
  const int nc = findCheckers(*b, BLACK, checkers);
  const int n = generateEvasions(*b, RED, checkers, nc, all, EVADE_ALL);
  EXPECT_EQ(sorted(keysOf(seq)), sorted(keys(all, n)));
  for (size_t i = 1; i < seq.size(); ++i) EXPECT_GE(seq[i - 1].score, seq[i].score);
}

TEST(PickerSort, EqualScoresKeepTheirOrder) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    const int n = static_cast<int>(rng() % 40);
    Move a[64], b[64];
    for (int i = 0; i < n; ++i) a[i] = b[i] = moveFromTo(i, 0, static_cast<int>(rng() % 5) - 2);
    std::vector<Move> expected(a, a + n);
    std::stable_sort(expected.begin(), expected.end(),
                     [](Move x, Move y) { return x.score > y.score; });
    EXPECT_TRUE(sortMoves(a, 0, n));
    while (!bubblePass(b, 0, n)) {
    }
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(a[i].from, expected[i].from) << round << " " << i;
      EXPECT_EQ(b[i].from, expected[i].from) << round << " " << i;
    }
  }
}

// ------------------------------------------------ properties over random games

// A stored move as the table or the killers may hand it over: a move of
// either side (legal, illegal or of the enemy), any pair of playing squares,
// a from-square off the board, or the null move.
Move randomStored(Board& b, std::mt19937& rng) {
  Move moves[MAX_MOVES];
  auto playing = [&] {
    return squareAt(static_cast<int>(rng() % 9), static_cast<int>(rng() % 10));
  };
  switch (rng() % 5) {
    case 0: return NULL_MOVE;
    case 1: case 2: {
      const int n = generateAllMoves(b, static_cast<int>(rng() % 2), moves);
      return n ? moves[rng() % n] : NULL_MOVE;
    }
    case 3: return moveFromTo(playing(), playing());
    default: return moveFromTo(static_cast<int>(rng() % 256), playing());
  }
}

struct Stored {
  Move hash, k1, k2, ckA, ckB;
};

Stored storeRandom(Board& b, MovePicker& p, std::mt19937& rng) {
  Stored s{randomStored(b, rng), randomStored(b, rng), randomStored(b, rng),
           randomStored(b, rng), randomStored(b, rng)};
  p.killer1() = s.k1;
  p.killer2() = s.k2;
  p.captureKillers[0] = s.ckA;
  p.captureKillers[1] = s.ckB;
  p.reset(s.hash);
  return s;
}

std::vector<int> evasionKeys(const Board& b, int mask) {
  Move checkers[MAX_CHECKERS], moves[MAX_MOVES];
  const int nc = findCheckers(b, otherSide(b.sideToMove), checkers);
  return keys(moves, generateEvasions(b, b.sideToMove, checkers, nc, moves, mask));
}

void addIf(std::vector<int>& set, bool cond, Move m) {
  if (cond && std::find(set.begin(), set.end(), key(m)) == set.end()) set.push_back(key(m));
}

TEST_F(PickerTest, MainPickerReturnsExactlyTheMoveSet) {
  std::mt19937 rng(2024);
  int checks = 0;
  randomGames(120, 90, 99, [&](Board& b) {
    MovePicker& p = frame(b, static_cast<int>(rng() % 30));
    const Stored s = storeRandom(b, p, rng);
    const std::vector<Move> seq = drain(p);
    const std::vector<int> got = keysOf(seq);
    ASSERT_FALSE(hasDuplicates(got)) << toFen(b);
    const int side = b.sideToMove;
    for (Move m : seq) ASSERT_TRUE(isPseudoLegal(b, side, m)) << toFen(b) << " " << key(m);
    std::vector<int> expected;
    if (b.inCheck()) {
      ++checks;
      expected = evasionKeys(b, EVADE_ALL);
      addIf(expected, isPseudoLegal(b, side, s.hash), s.hash);
      // A good capture killer waits for the capture stage, which in check
      // holds only the captures of the checker.
      for (Move k : {s.k1, s.k2})
        addIf(expected, isPseudoLegal(b, side, k) && (isQuiet(b, k) || scoreCapture(b, &k) < goodCaptureThreshold), k);
      for (int k : legalKeys(b))
        ASSERT_NE(std::find(got.begin(), got.end(), k), got.end()) << toFen(b);
    } else {
      Move all[MAX_MOVES];
      expected = keys(all, generateAllMoves(b, side, all));
    }
    ASSERT_EQ(sorted(got), sorted(expected)) << toFen(b);
  });
  EXPECT_GT(checks, 20);
}

TEST_F(PickerTest, QuiescencePickerReturnsCapturesAndOnlyTheQuietMovesItMay) {
  std::mt19937 rng(77);
  randomGames(120, 90, 5, [&](Board& b) {
    MovePicker& p = frame(b, 1 + static_cast<int>(rng() % 30));
    p.threatCount = static_cast<int>(rng() % 4);
    checkPlyLimit = p.ply - static_cast<int>(rng() % 2);
    const bool quietsAllowed = p.ply <= checkPlyLimit && p.threatCount >= QUIET_CHECK_MIN_THREATS;
    const Stored s = storeRandom(b, p, rng);
    const std::vector<int> got = keysOf(drain(p, true));
    ASSERT_FALSE(hasDuplicates(got)) << toFen(b);
    const int side = b.sideToMove;
    auto valid = [&](Move m) { return isPseudoLegal(b, side, m); };
    auto capture = [&](Move m) { return valid(m) && !isQuiet(b, m); };
    std::vector<int> must, may;
    if (b.inCheck()) {
      must = evasionKeys(b, EVADE_ALL);
      addIf(must, valid(s.hash), s.hash);
      addIf(must, capture(s.ckA), s.ckA);
      addIf(must, capture(s.ckB), s.ckB);
      may = must;
    } else {
      Move moves[MAX_MOVES];
      const int n = generateCaptures(b, side, moves);
      for (int i = 0; i < n; ++i) {
        addIf(must, scoreCapture(b, &moves[i]) >= minCaptureScore, moves[i]);
        addIf(may, true, moves[i]);
      }
      if (quietsAllowed) {
        const int nq = generateQuietChecks(b, side, moves, QUIET_CHECKS_WITH_HORSES);
        for (int i = 0; i < nq; ++i) addIf(must, true, moves[i]), addIf(may, true, moves[i]);
        for (Move k : {s.k1, s.k2}) addIf(may, valid(k) && isQuiet(b, k), k);
      }
      addIf(may, valid(s.hash), s.hash);
    }
    for (int k : must) ASSERT_NE(std::find(got.begin(), got.end(), k), got.end()) << toFen(b);
    for (int k : got) ASSERT_NE(std::find(may.begin(), may.end(), k), may.end()) << toFen(b);
  });
}

TEST_F(PickerTest, RootMovesAreTheLegalMoves) {
  randomGames(40, 80, 11, [&](Board& b) {
    MovePicker& p = frame(b, 0);
    const int n = p.generateRootMoves();
    ASSERT_EQ(n, p.end);
    ASSERT_EQ(sorted(keys(p.moves, n)), legalKeys(b)) << toFen(b);
    for (int i = 0; i < n; ++i) {
      Move m = p.moves[i];
      const int expected = isQuiet(b, m) ? historyScore(b, m) - QUIET_SCORE_OFFSET
                                         : scoreCapture(b, &m);
      ASSERT_EQ(p.moves[i].score, expected);
    }
  });
}

}  // namespace
}  // namespace movegentest
