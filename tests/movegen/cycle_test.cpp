// The rules of a repeated position: hand-built cycles, one per rule, and cycles
// from games and steered walks, every verdict also an independent rules
// library's (tools/cycle_oracle.cjs) but for the two defender cases marked
// below, where the library reads the written rules otherwise.
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "common/engine.h"
#include "frontend/movetext.h"
#include "movegen/cycle.h"
#include "movegen/movegen.h"

namespace {

struct Cycle { std::string fen, moves; int loser; };

// Plays the cycle's moves; false when one is not legal.
bool play(Board& b, const std::string& moves) {
  std::istringstream in(moves);
  for (std::string m; in >> m;) {
    const Move move = textToMove(m.c_str());
    if (!isPseudoLegal(b, b.sideToMove, move) || b.makeMove(move)) return false;
  }
  return true;
}

// The verdict on the cycle, judged from each of its positions in turn; the
// board, its keys and records are as before every judgement.
void expectVerdict(const Cycle& c, const char* rule) {
  SCOPED_TRACE(std::string(rule) + ": " + c.fen + "; " + c.moves);
  std::istringstream in(c.moves);
  const std::vector<std::string> moves{std::istream_iterator<std::string>(in), {}};
  auto b = kit::boardFromFen(c.fen);
  for (size_t k = 0; k < moves.size(); ++k) {
    std::string rotated;
    for (size_t i = 0; i < moves.size(); ++i) rotated += moves[(k + i) % moves.size()] + " ";
    auto r = kit::newBoard();
    r->copyFrom(*b);
    ASSERT_TRUE(play(*r, rotated)) << "from move " << k;
    const std::string fen = kit::toFen(*r);
    const PlyRecord* first = r->currentPly - moves.size();
    const std::vector<PlyRecord> records(first, first + moves.size() + 1);
    const CycleVerdict v = judgeCycle(*r, static_cast<int>(moves.size()), true);
    EXPECT_TRUE(v.loser == c.loser && kit::toFen(*r) == fen) << "from move " << k << ": " << v.loser;
    for (size_t i = 0; i < records.size(); ++i)
      EXPECT_EQ(std::memcmp(&records[i], first + i, sizeof(PlyRecord)), 0) << "record " << i;
    ASSERT_TRUE(play(*b, moves[k]));
  }
}

TEST(Cycle, EachRuleGivesItsVerdictFromEveryPositionOfTheCycle) {
  const struct { const char* rule; Cycle cycle; } TABLE[] = {
      {"perpetual check loses", {"3k4R/9/9/9/rr2n1c2/9/9/9/9/2BAKAB2 b", "d9d8 i9i8 d8d9 i8i9", RED}},
      {"perpetual check by the rook on the king's ranks loses",
       {"3k1ab1C/5R3/9/9/9/9/9/3A5/2r6/4K3c b", "c1c0 e0e1 c0c1 e1e0", BLACK}},
      {"one check, one chase of the same piece: allowed",
       {"9/4k4/2n4R1/9/9/9/9/9/9/3K5 b", "e8e9 h7h9 e9e8 h9h7", NO_LOSER}},
      {"a rook chasing an undefended elephant that flees loses",
       {"1nbk5/9/9/9/9/9/9/2r1B4/9/3AK4 w", "e2c0 c2c3 c0e2 c3c2", BLACK}},
      {"a chase by the horse, then by the rook it uncovers, loses",
       {"4k4/9/9/6c2/R8/9/3N5/9/9/3K5 w", "d3e5 g6g5 e5d3 g5g6", RED}},
      {"two rooks uncovering each other on a crossed pawn lose",
       {"4k4/9/9/9/9/R1R1p4/9/9/9/3K5 w", "c4c3 e9e8 c3c4 e8e9", RED}},
      {"a pawn that has not crossed is never chased",
       {"4k4/9/9/R1R1p4/9/9/9/9/9/3K5 w", "c6c5 e9e8 c5c6 e8e9", NO_LOSER}},
      {"a defender pinned against its king defends nothing",
       {"3k5/9/9/3n5/9/R1R1p4/9/9/9/3K5 w", "c4c3 d9d8 c3c4 d8d9", RED}},
      {"a free defender does", {"3k5/9/9/3n5/9/R1R1p4/9/9/9/4K4 w", "c4c3 d9d8 c3c4 d8d9", NO_LOSER}},
      // The library: pinned, since it is its side's only piece between the kings.
      {"a defender between the kings is free while an enemy piece shields them too",
       {"5R3/4k4/9/9/9/p3rp3/9/9/4A4/3AK4 b", "f4g4 f9g9 g4f4 g9f9", NO_LOSER}},
      // The library: no chase, the rook's attack itself being old.
      {"cutting the king off its recapture (a cannon's screen, set or opened) chases",
       {"1rbakc1R1/4a4/2n6/p1p1p3p/2P3b2/7N1/P3P3P/1cC1B3C/5r3/1RBAKA3 b", "e8f7 i2f2 f7e8 f2i2", BLACK}},
      {"idle moves between the chases: allowed",
       {"4k4/9/9/9/9/R1R1p4/9/9/9/3K5 w", "c4c3 e9e8 d0d1 e8e9 c3c4 e9e8 d1d0 e8e9", NO_LOSER}},
      {"chasing two pieces in turn: allowed", {"4k4/9/9/5c3/R3n4/9/9/9/9/3K5 w", "a5a6 e9e8 a6a5 e8e9", NO_LOSER}},
      {"both sides chasing: a draw", {"5k3/9/9/9/r1r1P4/R1R1p4/9/9/9/3K5 w", "c4c3 c5c6 c3c4 c6c5", NO_LOSER}},
      {"a horse chasing a defended rook loses", {"4k4/9/1N7/4r3r/9/9/9/9/5K3/9 w", "b7c5 e6d6 c5b7 d6e6", RED}},
      {"a horse attacking a defended cannon does not chase",
       {"4k4/9/1N7/4c3r/9/9/9/9/5K3/9 w", "b7c5 e6d6 c5b7 d6e6", NO_LOSER}},
      {"a rook offering an exchange of rooks does not chase",
       {"4k4/9/9/9/R8/9/2r6/9/9/3K5 w", "a5a3 c3c5 a3a5 c5c3", NO_LOSER}},
      {"the same rook chasing a cannon loses", {"4k4/9/9/9/R8/9/2c6/9/9/3K5 w", "a5a3 c3c5 a3a5 c5c3", RED}},
      {"the king may chase", {"5k3/9/9/9/9/9/9/4c4/3K5/9 w", "d1e1 e2d2 e1d1 d2e2", NO_LOSER}},
      {"a pawn may chase", {"4k4/9/4c4/3P5/9/9/9/9/9/5K3 w", "d6e6 e7d7 e6d6 d7e7", NO_LOSER}},
      {"a plain repetition is a draw",
       {"rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w", "b0c2 b9c7 c2b0 c7b9", NO_LOSER}},
  };
  for (const auto& t : TABLE) expectVerdict(t.cycle, t.rule);
}

// cycle_fixture.txt: "<board> <side>;<moves>;<loser red|black|none>", the
// library's verdict on cycles of played games and steered walks.
TEST(Cycle, VerdictsAgreeWithTheRulesLibrary) {
  std::ifstream in(TOLVANE_SOURCE_DIR "/tests/movegen/cycle_fixture.txt");
  int count = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t a = line.find(';'), z = line.rfind(';');
    const std::string loser = line.substr(z + 1);
    const Cycle c{line.substr(0, a), line.substr(a + 1, z - a - 1),
                  loser == "red" ? RED : loser == "black" ? BLACK : NO_LOSER};
    auto b = kit::boardFromFen(c.fen);
    ASSERT_TRUE(play(*b, c.moves)) << line;
    const int plies = static_cast<int>(b->currentPly - b->plyBase);
    EXPECT_EQ(judgeCycle(*b, plies, true).loser, c.loser) << line;
    ++count;
  }
  EXPECT_GE(count, 200);
}

}  // namespace
