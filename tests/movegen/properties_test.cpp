// Generator properties over many positions: random games from the start
// position (captures preferred now and then, so they thin out) and the perft
// fixture's positions (checks, double checks, kings on one file).
#include <functional>

#include "movegen/checks.h"
#include "support.h"

namespace movegentest {
namespace {

void forEachPosition(const std::function<void(Board&)>& visit) {
  randomGames(100, 150, 99, visit);
  std::mt19937 rng(2024);
  for (int i = 0; i < 12000; ++i) {
    auto b = boardFromFen(randomPlacement(rng));
    visit(*b);
  }
  for (const auto& p : readFixture()) {
    auto b = boardFromFen(p.fen);
    visit(*b);
  }
}

std::vector<int> allKeys(const Board& b, int side) {
  Move moves[MAX_MOVES];
  return keys(moves, generateAllMoves(b, side, moves));
}

TEST(Generators, SideWideListsAgreeAsSets) {
  forEachPosition([](Board& b) {
    for (int side = 0; side < 2; ++side) {
      Move all[MAX_MOVES], caps[MAX_MOVES], quiets[MAX_MOVES], counted[MAX_MOVES];
      const int nAll = generateAllMoves(b, side, all);
      const int nCaps = generateCaptures(b, side, caps);
      const int nQuiets = generateQuiets(b, side, quiets);
      const int nCounted = countMoves(b, side, counted);
      ASSERT_LE(nAll, MAX_MOVES);
      std::vector<int> joined = keys(caps, nCaps);
      for (int k : keys(quiets, nQuiets)) joined.push_back(k);
      const auto fen = toFen(b);
      EXPECT_FALSE(hasDuplicates(keys(all, nAll))) << fen;
      EXPECT_EQ(sorted(joined), sorted(keys(all, nAll))) << fen;
      EXPECT_EQ(sorted(keys(counted, nCounted)), sorted(keys(all, nAll))) << fen;
      for (int i = 0; i < nCaps; ++i)
        EXPECT_EQ(sideOfCode(b.squares[caps[i].to]), otherSide(side)) << fen;
      for (int i = 0; i < nQuiets; ++i) EXPECT_EQ(b.squares[quiets[i].to], EMPTY) << fen;
      for (int i = 0; i < nAll; ++i) EXPECT_EQ(b.squares[all[i].from] >> 4, side) << fen;
    }
  });
}

TEST(Generators, SquareWiseGeneratorsGiveTheSameSet) {
  forEachPosition([](Board& b) {
    for (int side = 0; side < 2; ++side) {
      std::vector<int> from, to;
      Move buf[MAX_MOVES];
      for (int i = sideBase(side); i <= lastIndex(side); ++i)
        if (b.pieceList[i] != NO_SQUARE)
          for (int k : keys(buf, generateMovesFrom(b, b.pieceList[i], buf, MASK_ALL)))
            from.push_back(k);
      for (int sq = 0; sq < 256; ++sq)
        if (InBoard[sq] && sideOfCode(b.squares[sq]) != side)
          for (int k : keys(buf, generateMovesTo(b, sq, side, buf, MASK_ALL))) to.push_back(k);
      const auto all = sorted(allKeys(b, side));
      EXPECT_EQ(sorted(from), all) << toFen(b);
      EXPECT_EQ(sorted(to), all) << toFen(b);
    }
  });
}

// The one kind of pair isPseudoLegal admits that no generator produces: an
// elephant step over the river (its eye empty), which no stored move of a
// real game can hold.
bool admittedOnPurpose(const Board& b, int side, int from, int to) {
  const int diff = to > from ? to - from : from - to;
  return PieceTypeOf[b.squares[from]] == ELEPHANT && (diff == 30 || diff == 34) &&
         b.squares[(from + to) / 2] == EMPTY && relativeRow(side, to) > 4;
}

TEST(Generators, IsPseudoLegalAcceptsExactlyTheGeneratedMoves) {
  int position = 0;
  forEachPosition([&](Board& b) {
    if (position++ % 8 != 0) return;  // every pair of squares: a sample suffices
    for (int side = 0; side < 2; ++side) {
      const auto all = allKeys(b, side);
      std::vector<bool> generated(65536, false);
      for (int k : all) generated[k] = true;
      for (int from = 0; from < 256; ++from) {
        if (!InBoard[from]) continue;
        for (int to = 0; to < 256; ++to) {
          if (!InBoard[to]) continue;
          const bool accepted = isPseudoLegal(b, side, moveFromTo(from, to));
          if (generated[from * 256 + to]) {
            EXPECT_TRUE(accepted) << toFen(b) << " " << from << "-" << to;
          } else if (accepted) {
            EXPECT_TRUE(admittedOnPurpose(b, side, from, to)) << toFen(b) << " " << from << "-" << to;
          }
        }
      }
    }
  });
}

std::vector<int> legalOf(Board& b, const Move* moves, int n) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i)
    if (!b.leavesKingAttacked(moves[i], b.sideToMove)) out.push_back(key(moves[i]));
  return sorted(out);
}

TEST(Checks, EvasionsGiveEveryLegalMoveInCheck) {
  int inCheck = 0;
  forEachPosition([&](Board& b) {
    const int side = b.sideToMove;
    Move checkers[MAX_CHECKERS];
    const int nCheckers = findCheckers(b, otherSide(side), checkers);
    ASSERT_EQ(nCheckers > 0, b.inCheck()) << toFen(b);
    if (nCheckers == 0) return;
    ++inCheck;
    Move evasions[MAX_MOVES];
    const int n = generateEvasions(b, side, checkers, nCheckers, evasions, EVADE_ALL);
    EXPECT_FALSE(hasDuplicates(keys(evasions, n))) << toFen(b);
    EXPECT_EQ(legalOf(b, evasions, n), legalKeys(b)) << toFen(b);
    // The capture stage alone moves the king only onto the checker.
    const int nCaptures = generateEvasions(b, side, checkers, nCheckers, evasions, EVADE_CAPTURE);
    for (int i = 0; i < nCaptures; ++i) EXPECT_EQ(evasions[i].to, checkers[0].from) << toFen(b);
  });
  EXPECT_GT(inCheck, 100);
}

TEST(Checks, CheckersAreExactlyThePiecesAttackingTheKing) {
  forEachPosition([](Board& b) {
    for (int attacker = 0; attacker < 2; ++attacker) {
      Move found[MAX_CHECKERS];
      const int n = findCheckers(b, attacker, found);
      std::vector<int> expected;
      const int K = b.kingSquare(otherSide(attacker));
      for (int i = sideBase(attacker); i <= lastIndex(attacker); ++i) {
        const int sq = b.pieceList[i];
        if (sq != NO_SQUARE && isPseudoLegal(b, attacker, moveFromTo(sq, K)))
          expected.push_back(key(moveFromTo(sq, K)));
      }
      Move facing;
      if (kingsFacing(b, attacker, &facing)) expected.push_back(key(facing));
      EXPECT_EQ(sorted(keys(found, n)), sorted(expected)) << toFen(b);
      EXPECT_EQ(n > 0, b.attacksKing(attacker)) << toFen(b);
    }
  });
}

TEST(Checks, QuietChecksAreQuietDistinctAndGiveCheck) {
  int produced = 0;
  forEachPosition([&](Board& b) {
    if (b.inCheck()) return;  // the quiescence search asks only out of check
    const int side = b.sideToMove;
    Move moves[MAX_MOVES];
    const int n = generateQuietChecks(b, side, moves, QUIET_CHECKS_WITH_HORSES);
    ASSERT_LE(n, MAX_MOVES);
    produced += n;
    const auto fen = toFen(b);
    EXPECT_FALSE(hasDuplicates(keys(moves, n))) << fen;
    for (int i = 0; i < n; ++i) {
      const Move m = moves[i];
      EXPECT_TRUE(isQuiet(b, m)) << fen;
      EXPECT_TRUE(isPseudoLegal(b, side, m)) << fen << " " << int(m.from) << "-" << int(m.to);
      if (b.makeMove(m)) continue;
      EXPECT_TRUE(b.inCheck()) << fen << " " << int(m.from) << "-" << int(m.to);
      b.unmakeMove();
    }
    // Without the horse bit no horse moves to a checking square.
    const int withoutHorses = generateQuietChecks(b, side, moves, 0);
    EXPECT_LE(withoutHorses, n);
  });
  EXPECT_GT(produced, 1000);
}

TEST(Checks, HasNoLegalMoveAgreesWithTheLegalList) {
  int mates = 0;
  forEachPosition([&](Board& b) {
    const bool none = legalKeys(b).empty();
    mates += none;
    EXPECT_EQ(hasNoLegalMove(b, b.sideToMove), none) << toFen(b);
  });
  EXPECT_GT(mates, 0);
}

}  // namespace
}  // namespace movegentest
