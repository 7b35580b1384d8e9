// Move generation against independent judges: perft counts from another
// engine, and properties over many positions against the kit's rule walk.
#include <fstream>
#include <set>
#include <sstream>

#include "common/engine.h"
#include "common/process.h"
#include "board/tables.h"
#include "movegen/checks.h"
#include "movegen/movegen.h"
#include "movegen/perft.h"

namespace {

struct FixturePosition {
  std::string tag, fen;
  std::vector<uint64_t> counts;  // perft at depth 1, 2, ...
};

// perft_fixture.txt: "<tag> <board> <side> <counts...>", counts from an
// independent engine (tools/perft_fixture.cjs).
std::vector<FixturePosition> readFixture() {
  std::vector<FixturePosition> out;
  std::ifstream in(TOLVANE_SOURCE_DIR "/tests/movegen/perft_fixture.txt");
  for (std::string line, board, side; std::getline(in, line);) {
    std::istringstream fields(line);
    FixturePosition p;
    if (line.empty() || line[0] == '#' || !(fields >> p.tag >> board >> side)) continue;
    p.fen = board + " " + side;
    for (uint64_t n; fields >> n;) p.counts.push_back(n);
    out.push_back(p);
  }
  return out;
}
const std::vector<FixturePosition> fixture = readFixture();

TEST(Perft, FixturePositionsMatchTheOracle) {
  ASSERT_GE(fixture.size(), 150u);
  for (const FixturePosition& p : fixture) {
    auto b = kit::boardFromFen(p.fen);
    for (size_t d = 0; d < p.counts.size(); ++d)
      EXPECT_EQ(countPaths(*b, int(d) + 1), p.counts[d]) << p.tag << " " << p.fen << " depth " << d + 1;
    EXPECT_TRUE(kit::matchesScratch(*b));
  }
}

// One run of the command: a divide line per legal root move adding up to the
// node count, and bad positions or depths refused with exit code 1.
TEST(Perft, CommandDividesAndRefusesBadInput) {
  kit::Process run(TOLVANE_BINARY, {"perft", "3", "4k4/r8/3N5/9/9/9/9/9/9/3K5", "b", "-", "-", "0", "1"});
  ASSERT_EQ(run.run(""), 0) << run.err;
  auto b = kit::boardFromFen("4k4/r8/3N5/9/9/9/9/9/9/3K5 b");
  std::vector<std::string> divided, expected;
  uint64_t sum = 0;
  for (const std::string& line : run.lines)
    if (line.size() > 6 && line[4] == ':') divided.push_back(line.substr(0, 4)), sum += std::stoull(line.substr(6));
  for (Move m : kit::legalMoves(*b)) expected.push_back(kit::moveText(m));
  std::sort(divided.begin(), divided.end()), std::sort(expected.begin(), expected.end());
  EXPECT_EQ(divided, expected);
  EXPECT_EQ(sum, countPaths(*b, 3));
  ASSERT_FALSE(run.lines.empty());
  EXPECT_TRUE(kit::startsWith(run.lines.back(), "nodes " + std::to_string(sum) + " time ")) << run.lines.back();
  const struct {
    std::vector<std::string> args;
    int code;
  } bad[] = {{{"perft", "2", "rnbakabnr/9 w"}, 1},
             {{"perft", "2", "4k4/9/9/9/9/9/9/9/9/4K4 w"}, 1},  // red could take the king
             {{"perft", "9999"}, 1}, {{"perft", "-1"}, 2}, {{"perft", "x"}, 2}, {{"perft"}, 2}};
  for (const auto& c : bad) {
    kit::Process run(TOLVANE_BINARY, c.args);
    EXPECT_EQ(run.run(""), c.code) << c.args.back();
    EXPECT_TRUE(!run.err.empty() && run.out.find("nodes") == std::string::npos) << c.args.back();
  }
}

std::string text(const Move* moves, int n) { return kit::movesText(std::vector<Move>(moves, moves + n)); }

struct Seen { int checks = 0, mates = 0, quietChecks = 0; };

void checkPosition(Board& b, Seen& seen, bool everyPair) {
  const std::string fen = kit::toFen(b);
  const int side = b.sideToMove;
  const std::vector<Move> legal = kit::legalMoves(b);
  ASSERT_EQ(kit::movesText(legal), kit::movesText(kit::ruleMoves(b))) << fen;
  ASSERT_EQ(hasNoLegalMove(b, side), legal.empty()) << fen;
  seen.mates += legal.empty();
  for (int s = BLACK; s <= RED; ++s) {
    Move all[MAX_MOVES], caps[MAX_MOVES], quiets[MAX_MOVES], counted[MAX_MOVES], buf[MAX_MOVES];
    const int nAll = generateAllMoves(b, s, all), nCaps = generateCaptures(b, s, caps);
    const int nQuiets = generateQuiets(b, s, quiets);
    std::vector<Move> joined(caps, caps + nCaps), from, to;  // captures and quiets; square by square
    joined.insert(joined.end(), quiets, quiets + nQuiets);
    for (int sq = 0; sq < 256; ++sq) {
      if (!InBoard[sq]) continue;
      from.insert(from.end(), buf, buf + (b.squares[sq] >> 4 == s ? generateMovesFrom(b, sq, buf, MASK_ALL) : 0));
      to.insert(to.end(), buf, buf + (b.squares[sq] >> 4 != s ? generateMovesTo(b, sq, s, buf, MASK_ALL) : 0));
    }
    const std::string expected = text(all, nAll);
    std::set<int> distinct;
    for (int i = 0; i < nAll; ++i) distinct.insert(all[i].from * 256 + all[i].to);
    ASSERT_EQ(int(distinct.size()), nAll) << fen;
    ASSERT_EQ(kit::movesText(joined), expected) << fen;
    ASSERT_EQ(text(counted, countMoves(b, s, counted)), expected) << fen;
    ASSERT_EQ(kit::movesText(from), expected) << fen;
    ASSERT_EQ(kit::movesText(to), expected) << fen;
    for (int i = 0; i < nCaps; ++i) ASSERT_EQ(b.squares[caps[i].to] >> 4, otherSide(s)) << fen;
    for (int i = 0; i < nQuiets; ++i) ASSERT_EQ(b.squares[quiets[i].to], EMPTY) << fen;
    if (everyPair)  // isPseudoLegal takes exactly the generated moves
      for (int f = 0; f < 256; ++f)
        for (int t = 0; t < 256 && InBoard[f]; ++t) {
          if (!InBoard[t]) continue;
          ASSERT_EQ(isPseudoLegal(b, s, moveFromTo(f, t)), bool(distinct.count(f * 256 + t)))
              << fen << " " << kit::moveText(moveFromTo(f, t));
        }
    // Checkers: the pieces that could take the king, by the walk.
    Move checkers[MAX_CHECKERS];
    const int nCheckers = findCheckers(b, s, checkers), king = b.kingSquare(otherSide(s));
    std::vector<Move> takers;
    for (int sq = 0; sq < 256; ++sq)
      if (kit::reaches(b, moveFromTo(sq, king)) && b.squares[sq] >> 4 == s) takers.push_back(moveFromTo(sq, king));
    ASSERT_EQ(text(checkers, nCheckers), kit::movesText(takers)) << fen;
  }
  Move checkers[MAX_CHECKERS], moves[MAX_MOVES];
  const int nCheckers = findCheckers(b, otherSide(side), checkers);
  ASSERT_EQ(b.inCheck(), nCheckers > 0) << fen;
  if (nCheckers > 0) {  // evasions: all the legal moves; the capture stage takes the first checker
    ++seen.checks;
    std::vector<Move> evasions;
    for (int i = 0, n = generateEvasions(b, side, checkers, nCheckers, moves, EVADE_ALL); i < n; ++i)
      if (!b.leavesKingAttacked(moves[i], side)) evasions.push_back(moves[i]);
    ASSERT_EQ(kit::movesText(evasions), kit::movesText(legal)) << fen;
    for (int i = 0, n = generateEvasions(b, side, checkers, nCheckers, moves, EVADE_CAPTURE); i < n; ++i)
      ASSERT_EQ(moves[i].to, checkers[0].from) << fen;
    return;
  }
  // Quiet checks: distinct quiet moves that check, among them every quiet
  // check by a king, advisor, elephant or rook (discovered or direct).
  std::set<int> produced;
  for (int i = 0, n = generateQuietChecks(b, side, moves, QUIET_CHECKS_WITH_HORSES); i < n; ++i) {
    const Move m = moves[i];
    ASSERT_TRUE(isQuiet(b, m) && isPseudoLegal(b, side, m) && produced.insert(m.from * 256 + m.to).second)
        << fen << " " << kit::moveText(m);
    if (b.makeMove(m)) continue;
    ASSERT_TRUE(kit::kingAttacked(b, b.sideToMove)) << fen << " " << kit::moveText(m);
    b.unmakeMove();
    ++seen.quietChecks;
  }
  for (Move m : legal) {
    const int index = b.squares[m.from] & 15;
    if (!isQuiet(b, m) || (index >= HORSE_INDEX && index < ROOK_INDEX) || index >= CANNON_INDEX) continue;
    ASSERT_FALSE(b.makeMove(m));
    const bool checks = kit::kingAttacked(b, b.sideToMove);
    b.unmakeMove();
    ASSERT_TRUE(!checks || produced.count(m.from * 256 + m.to)) << fen << " " << kit::moveText(m);
  }
}

TEST(Generation, PropertiesOverGamesPlacementsAndTheFixture) {
  Seen seen;
  int count = 0;
  auto visit = [&](Board& b) {
    if (!HasFatalFailure()) checkPosition(b, seen, count++ % 16 == 0);
  };
  kit::randomGames(40, 150, 99, visit);
  std::mt19937 rng(2024);
  for (int i = 0; i < 3000; ++i) visit(*kit::boardFromFen(kit::randomPlacement(rng)));
  for (const FixturePosition& p : fixture) visit(*kit::boardFromFen(p.fen));
  EXPECT_GT(seen.checks, 300);
  EXPECT_GT(seen.mates, 10);
  EXPECT_GT(seen.quietChecks, 1000);
}

}  // namespace
