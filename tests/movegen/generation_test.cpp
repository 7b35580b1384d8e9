// Move generation against independent judges (perft counts of another
// engine, the kit's rule walk); the staged move picker, its sorts, and the
// exchange evaluator.
#include <fstream>
#include <set>
#include <sstream>

#include "board/tables.h"
#include "common/engine.h"
#include "common/process.h"
#include "frontend/movetext.h"
#include "movegen/captureorder.h"
#include "movegen/checks.h"
#include "movegen/history.h"
#include "movegen/movegen.h"
#include "movegen/perft.h"
#include "movegen/picker.h"
#include "movegen/see.h"

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
  std::vector<Move> divided;
  uint64_t sum = 0;
  for (const std::string& line : run.lines)
    if (line.size() > 6 && line[4] == ':')
      divided.push_back(textToMove(line.substr(0, 4).c_str())), sum += std::stoull(line.substr(6));
  EXPECT_EQ(kit::movesText(divided), kit::movesText(kit::legalMoves(*b)));
  EXPECT_EQ(sum, countPaths(*b, 3));
  EXPECT_TRUE(!run.lines.empty() && kit::startsWith(run.lines.back(), "nodes " + std::to_string(sum) + " time "))
      << run.out;
  const struct { std::vector<std::string> args; int code; } bad[] = {{{"perft", "2", "rnbakabnr/9 w"}, 1},
      {{"perft", "2", "4k4/9/9/9/9/9/9/9/9/4K4 w"}, 1},  // red could take the king
      {{"perft", "9999"}, 1}, {{"perft", "-1"}, 2}, {{"perft", "x"}, 2}, {{"perft"}, 2}};
  for (const auto& c : bad) {
    kit::Process run(TOLVANE_BINARY, c.args);
    EXPECT_EQ(run.run(""), c.code) << c.args.back();
    EXPECT_TRUE(!run.err.empty() && run.out.find("nodes") == std::string::npos) << c.args.back();
  }
}

std::string text(const Move* moves, int n) { return kit::movesText(std::vector<Move>(moves, moves + n)); }
std::set<int> keys(const std::vector<Move>& moves) {
  std::set<int> out;
  for (Move m : moves) out.insert(m.from * 256 + m.to);
  return out;
}

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
    const std::set<int> distinct = keys(std::vector<Move>(all, all + nAll));
    ASSERT_EQ(int(distinct.size()), nAll) << fen;
    for (const std::string& got : {kit::movesText(joined), text(counted, countMoves(b, s, counted)),
                                   kit::movesText(from), kit::movesText(to)})  // by stage, counted, from, to
      ASSERT_EQ(got, expected) << fen;
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
  auto visit = [&](Board& b) { if (!HasFatalFailure()) checkPosition(b, seen, count++ % 16 == 0); };
  kit::randomGames(40, 150, 99, visit);
  std::mt19937 rng(2024);
  for (int i = 0; i < 3000; ++i) visit(*kit::boardFromFen(kit::randomPlacement(rng)));
  for (const FixturePosition& p : fixture) visit(*kit::boardFromFen(p.fen));
  EXPECT_TRUE(seen.checks > 300 && seen.mates > 10 && seen.quietChecks > 1000)
      << seen.checks << " " << seen.mates << " " << seen.quietChecks;
}

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

// With stored moves (hash move, killers) of every kind: real, illegal, the
// enemy's, nonsense. Every pseudo-legal move exactly once (the legal ones in
// check), the hash move first when playable and never when not; the
// quiescence picker every evasion in check, else the captures worth trying,
// quiet moves only where quiet checks are allowed, nothing unplayable.
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
      p.threatCount = int(rng() % 4), p.quietCheckNode = rng() % 2 != 0;
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
  EXPECT_TRUE(checks > 100 && hashFirst > 500) << checks << " " << hashFirst;
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
    EXPECT_TRUE(exchangeAtLeast(*b, m, r.value) && !exchangeAtLeast(*b, m, r.value + 1)) << r.fen;
    EXPECT_TRUE(kit::toFen(*b) == before && kit::matchesScratch(*b)) << "the board is left as it was";
  }
}

}  // namespace
