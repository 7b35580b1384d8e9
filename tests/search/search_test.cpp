// The search in-process with the shipped evaluation script: the forced mates
// of the fixture, the driver, the table's false matches, the best line, bounds.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "common/engine.h"
#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "eval/evaluate.h"
#include "frontend/movetext.h"
#include "frontend/position.h"
#include "search/hash/tt.h"
#include "search/pvcheck.h"
#include "search/report.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "search/thread.h"
#include "search/tuning.h"

namespace {

class Search : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    kit::useShippedScript();
    buildSearchTables();
    allocateHash(hashSizeBits(HASH_MIN_MB));
    ASSERT_TRUE(loadSearchOptions(&searchOptions, TOLVANE_BUILD_DIR "/HowToThink.opt"));
    timeManager.setDefaults();
    board = kit::newBoard().release();
    setSearchThreads(1);
  }
  static void TearDownTestSuite() { freeHash(), delete board; }
  void SetUp() override {  // searches called directly run with the clock out of the way
    clearHash();
    stopRequested = 0;
    softDeadlineMs = hardDeadlineMs = INT64_MAX;
  }
  // The position on the test's board and on the main search thread's.
  void setUp(const std::string& fen) {
    ASSERT_TRUE(setUpPosition(*board, fen.c_str())) << fen;
    searchThread(0).board.copyFrom(*board);
  }
  static SearchThread& thread() { return searchThread(0); }
  // What a search shows while this lives: depth and score of every best line.
  struct Shown : SearchReporter {
    SearchReporter* const before = searchReporter;
    Shown() { searchReporter = this; }
    ~Shown() override { searchReporter = before; }
    std::vector<std::pair<int, int>> lines;
    std::vector<int> broken;  // the index of the move that could not be played
    void bestLine(const PvRecord&, int depth, int score) override { lines.push_back({depth, score}); }
    void brokenLine(const PvRecord&, int at) override { broken.push_back(at); }
  };
  // A search to a fixed depth, as "go depth N" asks; the best lines it showed.
  std::vector<std::pair<int, int>> goDepth(int depth, std::vector<int>* broken = nullptr) {
    Shown shown;
    searchGo(*board, depthLimits(depth));
    if (broken != nullptr) *broken = shown.broken;
    return shown.lines;
  }
  bool rootMoveLegal() {
    return rootPv.count >= 1 && kit::isLegal(*board, kit::moveText(rootPv.moves[0]));
  }
  static int stored(int depth, Move* m, int* score = nullptr) {  // the probe code
    HashProbe code = HASH_MISS;
    const int s = probeHash(*board, 0, depth, -MATE, MATE, m, &code, true);
    if (score != nullptr) *score = s;
    return code;
  }
  static Board* board;
};
Board* Search::board = nullptr;

// tests/search/mate_fixture.txt, made by tools/mate_fixture.cjs from games
// of an independent engine and confirmed by it: "board side ; mate N", the
// side to move mating in N (N > 0) or mated in -N. Searched to depth 2N + 7
// (reverse futility may hide a quiet mating threat from a side far ahead
// for a few iterations), the engine must see the mate, play a legal move,
// never claim a mate nearer than the forced one and never show a score
// beyond the mate range.
TEST_F(Search, FindsEveryForcedMateOfTheFixture) {
  std::ifstream in(TOLVANE_SOURCE_DIR "/tests/search/mate_fixture.txt");
  int count = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string boardField, side, semicolon, word;
    int mate = 0;
    fields >> boardField >> side >> semicolon >> word >> mate;
    ASSERT_TRUE(semicolon == ";" && word == "mate" && mate != 0) << line;
    SCOPED_TRACE(line);
    setUp(boardField + " " + side);
    ASSERT_GE(kit::legalMoves(*board).size(), 2u) << "a single move is played unsearched";
    clearHash();
    for (const auto& [depth, shownScore] : goDepth(2 * std::abs(mate) + 7))
      EXPECT_LE(std::abs(shownScore), MATE) << depth;
    EXPECT_TRUE(rootMoveLegal());
    // A mate score counts the plies to the mated position.
    const int plies = mate > 0 ? 2 * mate - 1 : -2 * mate, score = mate > 0 ? rootScore : -rootScore;
    EXPECT_TRUE(score >= MATE_BOUND && score <= MATE - plies) << rootScore;
    ++count;
  }
  EXPECT_GE(count, 40);
}

TEST_F(Search, TheDriverAnswersEveryPosition) {
  // Mated: no move, a mate score at the node's ply, nothing stored.
  setUp("3k5/3R5/3R5/9/9/9/9/9/9/4K4 b");
  thread().iterationDepth = 3;
  EXPECT_EQ(alphaBeta(thread(), 5, 3, -MATE, MATE, PV_NODE), 5 - MATE);
  Move m = NULL_MOVE;
  EXPECT_EQ(stored(0, &m), HASH_MISS);
  // One way out of check (e9): played at once, shown as depth 1.
  setUp("5k3/9/9/9/9/9/9/9/9/3K1R3 b");
  const auto shown = goDepth(8);
  EXPECT_TRUE(rootPv.count == 1 && rootMoveLegal());
  EXPECT_TRUE(!shown.empty() && shown[0].first == 1);
}

TEST_F(Search, FalseTableMatchesNeverReachTheBoard) {
  // Every position one and two moves from the start gets an entry with its
  // lock and a move from an empty or enemy square, or off the board; the
  // quiescence search runs on each, then a whole search from the start.
  setUp(START_FEN);
  std::mt19937 rng(99);
  thread().iterationDepth = 5;
  Board& b = thread().board;
  const auto poisonAndProbe = [&](const auto& self, int plies) -> void {
    for (Move m : kit::legalMoves(b)) {
      b.makeMove(m);
      const ZobristKey key = b.currentPly->zobrist;
      writeHashEntry(key, HashEntry{keyHigh(key), int16_t(rng() % 3 ? 1 : 114), int16_t(rng() % 2000 - 1000),
                                    uint8_t(rng() % 3 ? 0x33 + rng() % 9 + 16 * (3 + rng() % 4) : rng()),
                                    uint8_t(rng()), uint8_t(rng() % 3), 0});
      quiesce(thread(), 1, -MATE, MATE);
      ASSERT_TRUE(b.currentPly->zobrist == key && kit::matchesScratch(b));
      if (plies > 1) self(self, plies - 1);
      b.unmakeMove();
    }
  };
  poisonAndProbe(poisonAndProbe, 2);
  goDepth(5);
  EXPECT_EQ(board->height(), 0);
  EXPECT_TRUE(kit::matchesScratch(*board));
  EXPECT_TRUE(rootMoveLegal());
}

TEST_F(Search, TheLineCheckStoresGoodLinesAndStopsAtABrokenOne) {
  // A good line is written back to the table position by position.
  setUp(START_FEN);
  goDepth(5);
  const PvRecord line = thread().pvLines[0];
  ASSERT_GE(line.count, 2);
  clearHash();
  stopRequested = 0;
  thread().iterationDepth = 5;
  const int v = checkAndStorePv(thread(), 0);
  Move m = NULL_MOVE;
  int score = 0;
  EXPECT_TRUE(stored(4, &m, &score) == HASH_EXACT && sameMove(m, line.moves[0]) && score == v) << score << " " << v;
  board->makeMove(line.moves[0]);
  const int code = stored(3, &m, &score);
  board->unmakeMove();
  EXPECT_TRUE(code == HASH_EXACT && sameMove(m, line.moves[1]) && score == -v) << score << " " << v;

  // A first move that would expose its own king (the advisor leaves the
  // file the red rook watches) is refused: reported once per search, the
  // board restored, nothing stored.
  setUp("4k4/4a4/9/9/9/9/9/9/4R4/3K5 b");
  clearHash();
  thread().pvLines[0] = PvRecord{2, {textToMove("e8d7"), textToMove("e1e2")}, 0};
  allowPvReport();
  Shown shown;
  checkAndStorePv(thread(), 0);
  checkAndStorePv(thread(), 0);
  EXPECT_EQ(thread().board.height(), 0);
  EXPECT_EQ(shown.broken, std::vector<int>{0});
  EXPECT_EQ(stored(0, &m), HASH_MISS);
}

// A late move reduced at a PV node, scored inside the window at the reduced
// depth and then failing low in full, leaves its own line in the child's
// record: the best line must still be the best move's.
TEST_F(Search, ReductionsAtPvNodesKeepTheBestLinePlayable) {
  const SearchOptions shipped = searchOptions;
  searchOptions.lmrAtPvNodes = 1;
  searchOptions.lmrTableDivisor = 200;
  setUp("r2akab2/1R1n5/2c1br3/4p3p/p1P2npc1/3N5/P3P1P1P/3CB1NC1/4A4/2BAKR3 w");
  std::vector<int> broken;
  goDepth(10, &broken);
  EXPECT_TRUE(broken.empty()) << broken[0];
  searchOptions = shipped;
}

// Plies beyond the last frame are scored statically, and the
// principal-variation lines stay within their bounds whatever the search
// feeds them.
TEST_F(Search, DeepPliesAndLongLinesStayWithinTheirBounds) {
  setUp(START_FEN);
  thread().iterationDepth = 200;
  int threats = 0;
  EXPECT_EQ(quiesce(thread(), MAX_PLY + 40, -500, 500),
            evaluate(*board, MAX_PLY + 40 - 200, -500, 500, &threats));
  EXPECT_LT(std::abs(alphaBeta(thread(), LEAF_PLY_LIMIT, 200, -MATE, MATE, PV_NODE)), MATE_BOUND);
  SearchThread& t = thread();
  const Move m = textToMove("d4d3");
  for (PvRecord& line : t.pvLines) line.count = 0;
  updatePv(t, MAX_PLY - 1, m, 9);  // the deepest line has no child
  EXPECT_EQ(t.pvLines[MAX_PLY - 1].count, 1);
  for (int ply = MAX_PLY - 2; ply >= 0; --ply) updatePv(t, ply, m, 7);
  EXPECT_EQ(t.pvLines[0].count, MAX_PLY);
  t.pvLines[51].count = 100000;  // a child line that claims too much is cut to what fits
  updatePv(t, 50, m, 3);
  EXPECT_EQ(t.pvLines[50].count, MAX_PLY - 50);
  PvRecord copy{};
  for (int count : {-3, 1 << 20}) {
    t.pvLines[0].count = count;
    copyPv(&copy, t.pvLines[0]);
    EXPECT_EQ(copy.count, count < 0 ? 0 : MAX_PLY);
  }
}

}  // namespace
