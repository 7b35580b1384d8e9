// The search in-process with the shipped script: the fixture's forced mates,
// the driver, false table matches, the best line, bounds; repetition; several
// threads sharing the table (ThreadSanitizer runs them too); the table's answers.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "common/engine.h"
#include "common/process.h"
#include "config/evalscript.h"
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
    kit::useShippedScript(), buildSearchTables(), allocateHash(hashSizeBits(HASH_MIN_MB));
    ASSERT_TRUE(loadSearchOptions(&searchOptions, TOLVANE_BUILD_DIR "/HowToThink.opt"));
    timeManager.setDefaults(), setSearchThreads(1);
    board = kit::newBoard().release();
  }
  static void TearDownTestSuite() { releaseSearchThreads(), freeHash(), delete board; }
  void SetUp() override { clearHash(), stopRequested = 0, softDeadlineMs = hardDeadlineMs = INT64_MAX; }  // no clock
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
  bool rootMoveLegal() { return rootPv.count >= 1 && kit::isLegal(*board, kit::moveText(rootPv.moves[0])); }
  static int stored(int depth, Move* m, int* score = nullptr) {  // the probe code
    HashProbe code = HASH_MISS;
    const int s = probeHash(*board, 0, depth, -MATE, MATE, m, &code, true);
    if (score != nullptr) *score = s;
    return code;
  }
  static Board* board;
};
Board* Search::board = nullptr;

// mate_fixture.txt (tools/mate_fixture.cjs, from games of an independent
// engine that confirmed each): "board side ; mate N", mating in N or mated
// in -N. At depth 2N + 7 (reverse futility may hide a quiet mating threat for
// a few iterations) the mate is seen, no nearer one claimed, no score shown
// beyond the mate range, and the move is legal.
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
  EXPECT_TRUE(rootPv.count == 1 && rootMoveLegal() && !shown.empty() && shown[0].first == 1);
}

TEST_F(Search, FalseTableMatchesNeverReachTheBoard) {
  // Positions one and two moves from the start get an entry with their lock and
  // a move from an empty or enemy square or off the board; each is searched.
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
  EXPECT_TRUE(board->height() == 0 && kit::matchesScratch(*board) && rootMoveLegal());
}

TEST_F(Search, TheLineCheckStoresGoodLinesAndStopsAtABrokenOne) {
  // A good line is written back to the table position by position.
  setUp(START_FEN);
  goDepth(5);
  const PvRecord line = thread().pvLines[0];
  ASSERT_GE(line.count, 2);
  clearHash(), stopRequested = 0, thread().iterationDepth = 5;
  const int v = checkAndStorePv(thread(), 0);
  Move m = NULL_MOVE;
  int score = 0;
  EXPECT_TRUE(stored(4, &m, &score) == HASH_EXACT && sameMove(m, line.moves[0]) && score == v) << score << " " << v;
  board->makeMove(line.moves[0]);
  const int code = stored(3, &m, &score);
  board->unmakeMove();
  EXPECT_TRUE(code == HASH_EXACT && sameMove(m, line.moves[1]) && score == -v) << score << " " << v;

  // A first move that exposes its own king (the advisor leaves the rook's
  // file) is refused: reported once per search, nothing stored.
  setUp("4k4/4a4/9/9/9/9/9/9/4R4/3K5 b");
  clearHash();
  thread().pvLines[0] = PvRecord{2, {textToMove("e8d7"), textToMove("e1e2")}, 0};
  allowPvReport();
  Shown shown;
  checkAndStorePv(thread(), 0);
  checkAndStorePv(thread(), 0);
  EXPECT_TRUE(thread().board.height() == 0 && shown.broken == std::vector<int>{0} && stored(0, &m) == HASH_MISS);
}

// A late move reduced at a PV node, scored inside the window at the reduced
// depth and then failing low in full, leaves its own line in the child's
// record: the best line must still be the best move's.
TEST_F(Search, ReductionsAtPvNodesKeepTheBestLinePlayable) {
  const SearchOptions shipped = searchOptions;
  searchOptions.lmrAtPvNodes = 1, searchOptions.lmrTableDivisor = 200;
  setUp("r2akab2/1R1n5/2c1br3/4p3p/p1P2npc1/3N5/P3P1P1P/3CB1NC1/4A4/2BAKR3 w");
  std::vector<int> broken;
  goDepth(10, &broken);
  EXPECT_TRUE(broken.empty()) << broken[0];
  searchOptions = shipped;
}

// Plies beyond the last frame are scored statically; the best lines stay
// within their bounds whatever the search feeds them.
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

// Black is a rook, a horse and a cannon up; the red rook checks the black
// king between d9 and d8, twice round, and one more move repeats the start.
// fairy-stockfish 1.1.12 (xiangqi, depth 14) scores the repeating move mated
// in 1 for the checker and mate in 1 for the side checked; without the
// perpetual rule ours plays i8i9 in the first and g7i8 in the second, as it
// does in the second without the game's history. `repeat`: the move back into
// the cycle's first position, which the engine plays when it `claims`.
const struct { const char *what, *position, *repeat; bool claims; } CYCLES[] = {
    {"red, to move, would check a fourth time",
     "position fen 3k4R/9/9/9/rr2n1c2/9/9/9/9/2BAKAB2 b moves d9d8 i9i8 d8d9 i8i9 d9d8 i9i8 d8d9",
     "i8i9", false},
    {"black, in check, steps back: red has checked four times",
     "position fen 3k5/8R/6n2/9/rr4c2/9/9/9/9/2BAKAB2 w moves i8i9 d9d8 i9i8 d8d9 i8i9 d9d8 i9i8",
     "d8d9", true},
    {"the same position without its history: take the rook",
     "position fen 9/3k4R/6n2/9/rr4c2/9/9/9/9/2BAKAB2 b", "d8d9", false},
};

TEST(Repetition, PerpetualCheckLosesForTheCheckingSide) {
  kit::Engine engine;
  ASSERT_TRUE(engine.handshake());
  for (const auto& c : CYCLES) {
    SCOPED_TRACE(c.what);
    engine.clearLines();
    engine.send(std::string(c.position) + "\ngo depth 6");
    const std::string best = engine.waitFor("bestmove");
    ASSERT_EQ(best.rfind("bestmove ", 0), 0u) << best;
    const std::string move = best.substr(9, 4);
    int score = 0;  // the last one shown
    for (const std::string& line : engine.lines)
      if (line.find(" score ") != std::string::npos) score = std::stoi(line.substr(line.find(" score ") + 7));
    EXPECT_EQ(move == c.repeat, c.claims) << best;
    EXPECT_EQ(score >= MATE_BOUND, c.claims) << score;
    EXPECT_GT(score, -MATE_BOUND) << "a move that neither loses nor is mated exists";
    // The move is legal after the same moves on our own board.
    auto board = kit::newBoard();
    ASSERT_TRUE(servePosition(*board, c.position, false));
    EXPECT_TRUE(kit::isLegal(*board, move)) << move;
  }
  engine.send("quit");
  EXPECT_EQ(engine.waitExit(), 0);
}

// From a game against a peer: the black rook follows the red cannon between
// b7 and c7 (the cannon, unguarded, cannot take it back); the rules gave the
// game to red. With the chase rule the side to move at the end of the cycle
// loses when it chased and wins when it was chased; without it the cycle is
// a plain repetition; the board stays as it was. A king walking d9-e9-d9
// across two null moves repeats the position, but no cycle runs through one.
TEST(Repetition, APerpetualChaseLosesForTheChaserAndTheWalkStopsAtANullMove) {
  const std::string game =
      "position startpos moves b0c2 h9g7 c3c4 g6g5 i3i4 b7b3 c2d4 b9c7 c4c5 b3g3 c5c6 g5g4 "
      "c6c7 h7c7 g0e2 a9b9 b2c2 b9b4 d4c6 b4b6 c2c7 b6c6 c7b7 i9h9 h0f1 c6b6 b7c7 b6c6 c7b7";
  const SearchOptions shipped = searchOptions;
  for (const char* last : {"", " c6b6"}) {
    auto b = kit::newBoard();
    ASSERT_TRUE(servePosition(*b, (game + last).c_str(), false));
    const bool blackToMove = *last == '\0';  // black chased; red was chased
    const PlyRecord before = *b->currentPly;
    const std::string fen = kit::toFen(*b);
    const uint64_t key = b->currentPly[-3].zobrist;
    int score = 0;
    Move move;
    searchOptions.useChaseRule = 0, searchOptions.drawnRepetition = 0;
    // Plain: half the side to move's material and placement, and the offset
    // (against it at an odd ply); with drawnRepetition the offset alone.
    const int half = b->currentPly->incrementalScore / 2;
    ASSERT_NE(half, 0);
    EXPECT_TRUE(checkRepetition(*b, 3, &score, &move) == REP_PLAIN && score == half - evalScript.evalConstB) << score;
    searchOptions.drawnRepetition = 1;
    EXPECT_TRUE(checkRepetition(*b, 3, &score, &move) == REP_PLAIN && score == -evalScript.evalConstB) << score;
    searchOptions.drawnRepetition = 0, searchOptions.useChaseRule = 1;
    EXPECT_EQ(checkRepetition(*b, 3, &score, &move), blackToMove ? REP_CHECKING : REP_CHECKED);
    EXPECT_EQ(score, blackToMove ? 3 - PERPETUAL : PERPETUAL - 3);
    EXPECT_TRUE(b->currentPly->zobrist == before.zobrist && b->currentPly[-3].zobrist == key &&
                b->currentPly->captureExtensionBudget == before.captureExtensionBudget && kit::toFen(*b) == fen);
  }
  searchOptions = shipped;
  auto b = kit::boardFromFen("3k5/8R/9/9/9/9/9/9/9/5K3 w");
  b->makeNullMove();
  ASSERT_FALSE(b->makeMove(moveFromTo(0x36, 0x37)));
  b->makeNullMove();
  ASSERT_FALSE(b->makeMove(moveFromTo(0x37, 0x36)));
  ASSERT_EQ(b->currentPly->zobrist, b->plyBase->zobrist);
  int score = 0;
  Move move;
  EXPECT_EQ(checkRepetition(*b, 4, &score, &move), REP_NONE);
}

// A move back into a drawn cycle claims the draw; one into a cycle that a
// side loses, or one that repeats nothing, does not. The board is unchanged.
TEST(Repetition, OnlyAMoveIntoADrawnCycleClaimsADraw) {
  const struct { const char *position, *move; bool draw; } CASES[] = {
      {"position startpos moves b0c2 b9c7 c2b0", "c7b9", true},
      {"position startpos moves b0c2 b9c7 c2b0", "c7e8", false},
      {"position fen 3k4R/9/9/9/rr2n1c2/9/9/9/9/2BAKAB2 b moves d9d8 i9i8 d8d9", "i8i9", false},
  };
  for (const auto& c : CASES) {
    auto b = kit::newBoard();
    ASSERT_TRUE(servePosition(*b, c.position, false));
    const std::string fen = kit::toFen(*b);
    EXPECT_EQ(repeatsIntoDraw(*b, textToMove(c.move)), c.draw) << c.position << " " << c.move;
    EXPECT_EQ(kit::toFen(*b), fen);
  }
}

using Threads = Search;  // run under ThreadSanitizer too

TEST_F(Threads, HelpersSearchTheSameRootAndTheAnswerIsLegal) {
  ASSERT_EQ(setSearchThreads(0), 1);
  ASSERT_EQ(setSearchThreads(3), 3);
  int searched = 0;
  uint64_t helpers = 0;
  kit::randomGames(3, 60, 11, [&](Board& b) {
    if (b.height() % 15 != 7 || kit::legalMoves(b).size() < 2) return;
    const std::string before = kit::toFen(b);
    const ZobristKey key = b.currentPly->zobrist;
    SearchLimits limits = depthLimits(5);
    limits.useBook = false;
    searchGo(b, limits);
    EXPECT_TRUE(rootPv.count >= 1 && kit::isLegal(b, kit::moveText(rootPv.moves[0]))) << before;
    EXPECT_TRUE(kit::toFen(b) == before && b.currentPly->zobrist == key);
    // Every thread counted its own nodes. A helper may wake only after a
    // quick search has ended, so the helpers' share is judged over all.
    uint64_t helperNodes = 0;
    for (int i = 1; i < searchThreadCount(); ++i) helperNodes += searchThread(i).totalNodes();
    EXPECT_EQ(searchedNodes(), searchThread(0).totalNodes() + helperNodes);
    helpers += helperNodes, ++searched;
  });
  EXPECT_TRUE(searched >= 5 && helpers > 0) << searched;
  // A node limit counts the helpers' nodes too (only the main thread looks at
  // it, so on a loaded machine the count may go well past the limit).
  ASSERT_EQ(setSearchThreads(2), 2);
  auto start = kit::boardFromFen("r2akab2/1R1n5/2c1br3/4p3p/p1P2npc1/3N5/P3P1P1P/3CB1NC1/4A4/2BAKR3 w");
  SearchLimits limits;
  limits.nodes = 50000;
  searchGo(*start, limits);
  EXPECT_TRUE(searchedNodes() >= 50000 && searchedNodes() < 200000) << searchedNodes();
  EXPECT_TRUE(setSearchThreads(1) == 1 && searchThreadCount() == 1);
}

// Two threads store and probe the same small table: a probe that finds its
// key finds that key's own score and move, never a mix of two stores.
TEST_F(Threads, TableEntriesAreReadWholeOrNotAtAll) {
  ASSERT_EQ(allocateHash(6), 6);
  stopRequested = 0;  // a search ends with it set, and nothing is stored then
  std::atomic<int> mixed{0}, hits{0};
  // Eight positions per slot, with locks as random as real keys' are.
  std::mt19937 draw(3);
  uint32_t locks[8];
  for (uint32_t& lock : locks) lock = draw() | 1;
  const auto work = [&](unsigned seed) {
    auto board = kit::newBoard();
    std::mt19937 rng(seed);
    for (int i = 0; i < 200000; ++i) {
      const uint32_t high = locks[rng() % 8], low = rng() % 64;
      board->currentPly->zobrist = (ZobristKey(high) << 32) | low;
      const int score = static_cast<int>(high % 1000);
      const Move move = moveFromTo(0x33 + high % 9, 0x34 + high % 9);
      if (rng() % 2) {
        storeHash(*board, 0, 1 + static_cast<int>(rng() % 20), score, BOUND_EXACT, move);
        continue;
      }
      Move found = NULL_MOVE;
      HashProbe code = HASH_MISS;
      const int s = probeHash(*board, 0, 0, -MATE, MATE, &found, &code, true);
      if (code == HASH_MISS) continue;
      ++hits;
      if (!sameMove(found, move) || (code == HASH_EXACT && s != score)) ++mixed;
    }
  };
  std::thread other(work, 1u);
  work(2u);
  other.join();
  EXPECT_TRUE(hits.load() > 1000 && mixed.load() == 0) << hits.load() << " hits, " << mixed.load() << " mixed";
  allocateHash(hashSizeBits(HASH_MIN_MB));
}

class TransTable : public ::testing::Test {
 protected:
  void SetUp() override { stopRequested = 0; ASSERT_EQ(allocateHash(4), 4); }  // 16 slots
  void TearDown() override { freeHash(), stopRequested = 0; }
  void at(uint32_t high, uint32_t low) { board->currentPly->zobrist = (ZobristKey(high) << 32) | low; }
  // The probe's score and code (and its move left in `move`).
  ::testing::AssertionResult probes(int depth, int alpha, int beta, bool shallow, int score, HashProbe code,
                                    int ply = 0) {
    HashProbe got = HASH_MISS;
    const int s = probeHash(*board, ply, depth, alpha, beta, &move, &got, shallow);
    if (s == score && got == code) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "score " << s << ", code " << got;
  }
  bool sameImage(const std::vector<HashEntry>& a, size_t from = 0) {
    return std::memcmp(&a[from], hashEntryFor(0) + from, (a.size() - from) * sizeof(HashEntry)) == 0;
  }
  std::vector<HashEntry> image() { return {hashEntryFor(0), hashEntryFor(0) + hashEntryCount() + 4}; }
  std::unique_ptr<Board> board = kit::newBoard();
  Move move;
};

TEST_F(TransTable, ProbesByBoundDepthAndMateDistanceStoresAndSpares) {
  at(0xABCD, 5);
  EXPECT_TRUE(probes(3, -100, 100, false, NO_SCORE, HASH_MISS) && isNullMove(move));
  storeHash(*board, 0, 6, 40, BOUND_EXACT, moveFromTo(0x37, 0x47));
  EXPECT_TRUE(probes(6, -100, 100, false, 40, HASH_EXACT) && sameMove(move, moveFromTo(0x37, 0x47)));
  EXPECT_TRUE(probes(7, -100, 100, false, NO_SCORE, HASH_SHALLOW) && move.to == 0x47);  // its move still counts
  EXPECT_TRUE(probes(2, -100, 100, false, NO_SCORE, HASH_SHALLOW)) << "depth 2 or less only when allowed";
  EXPECT_TRUE(probes(2, -100, 100, true, 40, HASH_EXACT));
  at(0xABCE, 6);  // a lower bound cuts at beta and above, an upper one at alpha and below
  storeHash(*board, 0, 6, 70, BOUND_LOWER, NULL_MOVE);
  EXPECT_TRUE(probes(5, -100, 70, false, 70, HASH_CUT));
  EXPECT_TRUE(probes(5, -100, 71, false, NO_SCORE, HASH_NO_CUT));
  at(0xABCF, 7);
  storeHash(*board, 0, 6, -30, BOUND_UPPER, NULL_MOVE);
  EXPECT_TRUE(probes(5, -30, 100, false, -30, HASH_CUT));
  EXPECT_TRUE(probes(5, -31, 100, false, NO_SCORE, HASH_NO_CUT));
  at(0x1234, 7 + 16);  // the same slot, another lock
  EXPECT_TRUE(probes(1, -10, 10, true, NO_SCORE, HASH_MISS) && isNullMove(move));
  at(11, 1);  // a proven mate bound serves every depth
  storeHash(*board, 0, 3, MATE - 7, BOUND_LOWER, NULL_MOVE);
  for (int depth = 0; depth <= 114; ++depth) EXPECT_TRUE(probes(depth, 0, 500, true, MATE - 7, HASH_CUT)) << depth;
  at(12, 2);
  storeHash(*board, 0, 2, -MATE_BOUND, BOUND_UPPER, NULL_MOVE);
  EXPECT_TRUE(probes(40, -MATE_BOUND, 0, false, -MATE_BOUND, HASH_CUT));
  // Mates keep their distance from the node: found 7 plies from the root at
  // ply 3, read at ply 5 it is 2 plies further from the root.
  at(14, 4);
  storeHash(*board, 3, 4, MATE - 7, BOUND_EXACT, NULL_MOVE);
  EXPECT_TRUE(probes(4, -MATE, MATE, true, MATE - 9, HASH_EXACT, 5));
  at(15, 5);
  storeHash(*board, 4, 4, 6 - MATE, BOUND_EXACT, NULL_MOVE);
  EXPECT_TRUE(probes(4, -MATE, MATE, true, 3 - MATE, HASH_EXACT, 1));
  at(13, 3);  // a mate score on the side of its bound that proves nothing
  storeHash(*board, 0, 2, MATE - 3, BOUND_UPPER, NULL_MOVE);
  EXPECT_TRUE(probes(3, MATE - 3, MATE, false, NO_SCORE, HASH_SHALLOW));
  // Nothing is stored while stopping, and the spares stay untouched.
  const std::vector<HashEntry> before = image();
  stopRequested = 1;
  at(8, 4);
  storeHash(*board, 0, 9, 99, BOUND_EXACT, moveFromTo(0x35, 0x36));
  EXPECT_TRUE(sameImage(before));
  stopRequested = 0;
  std::mt19937 rng(5);
  for (int i = 0; i < 5000; ++i) {
    at(rng() | 1, rng());
    storeHash(*board, 0, int(rng() % 20), int(rng() % 2000) - 1000, int(rng() % 3), moveFromTo(0x33, 0x34));
    (void)probes(int(rng() % 20), -50, 50, false, 0, HASH_MISS);
  }
  EXPECT_TRUE(sameImage(before, hashEntryCount()));
}

}  // namespace
