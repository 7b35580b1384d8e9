// The search in-process with the real evaluation script: node results and
// bounds, false table matches, the best-line check and the go driver.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "board/board.h"
#include "common/engine_tables.h"
#include "config/evalscript.h"
#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "eval/evaluate.h"
#include "frontend/gocommand.h"
#include "frontend/output.h"
#include "frontend/position.h"
#include "frontend/pvcheck.h"
#include "movegen/movegen.h"
#include "movegen/picker.h"
#include "search/hash/tt.h"
#include "search/history.h"
#include "search/poll.h"
#include "search/search.h"
#include "search/searchstate.h"

namespace {

constexpr int TEST_HASH_BITS = 16;

class Search : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    enginetest::buildTables();
    const std::string dir = std::string(TOLVANE_BUILD_DIR) + "/";
    ASSERT_TRUE(loadEvaluationScript((dir + "PosVal.txt").c_str()));
    buildEvalTables();
    buildSearchTables();
    allocateHash(TEST_HASH_BITS);
    loadSearchOptions(&searchOptions, (dir + "HowToThink.opt").c_str());
    timeManager.setDefaults();
    searchOptions.bookSwitch[BLACK] = searchOptions.bookSwitch[RED] = 1;
    board = new Board;
    board->init();
    initPickers(board);
    buildHistoryTables();
    pollInputEnabled = false;
  }
  static void TearDownTestSuite() {
    freeHash();
    delete board;
    board = nullptr;
  }
  void SetUp() override {
    clearHash();
    stopRequested = 0;
    // Searches called directly run with the clock out of the way.
    searchOptions.maxDepth = GO_MAX_DEPTH;
    softDeadlineMs = hardDeadlineMs = INT64_MAX;
  }
  void setUp(const char* fen) { ASSERT_TRUE(setUpPosition(*board, fen)) << fen; }
  // A depth-limited go, its output captured.
  std::vector<std::string> goDepth(int depth) {
    searchOptions.timeLimitMs = GO_DEPTH_ONLY_MS;
    searchOptions.maxDepth = static_cast<uint8_t>(depth);
    startCapture();
    searchGo(*board, depth);
    return stopCapture();
  }
  bool rootMoveLegal() {
    if (rootPv.count < 1) return false;
    const Move m = rootPv.moves[0];
    if (!isPseudoLegal(*board, board->sideToMove, m) || board->makeMove(m)) return false;
    board->unmakeMove();
    return true;
  }
  static Board* board;
};
Board* Search::board = nullptr;

// Red mates at once with a7-a9: the other rook holds rank 8 and the red
// king the e-file.
constexpr const char* MATE_IN_ONE = "3k5/1R7/R8/9/9/9/9/9/9/4K4 w";
constexpr const char* NO_MOVE = "3k5/3R5/3R5/9/9/9/9/9/9/4K4 b";

}  // namespace

TEST_F(Search, NoLegalMoveScoresMateAtThePlyAndStoresNothing) {
  setUp(NO_MOVE);
  iterationDepth = 3;
  EXPECT_EQ(alphaBeta(*board, 5, 3, -MATE, MATE, 0), 5 - MATE);
  int code = 0;
  Move m = NULL_MOVE;
  probeHash(*board, 0, -MATE, MATE, &m, &code, true);
  EXPECT_EQ(code, 4);
  // The driver answers without a move.
  goDepth(4);
  EXPECT_EQ(rootPv.count, 0);
  EXPECT_EQ(stopRequested, 1);
}

TEST_F(Search, MateInOneIsFoundAndShownWithinTheMateRange) {
  setUp(MATE_IN_ONE);
  const std::vector<std::string> out = goDepth(6);
  ASSERT_TRUE(rootMoveLegal());
  EXPECT_GE(rootScore, MATE_BOUND);
  EXPECT_LE(rootScore, MATE);
  for (const std::string& line : out) {
    const size_t at = line.find(" score ");
    if (at == std::string::npos) continue;
    EXPECT_LE(std::abs(std::stoi(line.substr(at + 7))), MATE) << line;
  }
}

TEST_F(Search, QuiescenceBeyondTheLastFrameIsTheStaticScore) {
  setUp(START_FEN);
  iterationDepth = 1;
  int threats = 0;
  const int expected = evaluate(*board, MAX_PLY, -500, 500, &threats);
  EXPECT_EQ(quiesce(*board, MAX_PLY, -500, 500), expected);
  EXPECT_EQ(quiesce(*board, MAX_PLY + 40, -500, 500),
            evaluate(*board, MAX_PLY + 40, -500, 500, &threats));
  // The alpha-beta search hands over at its ply limit whatever depth is left.
  iterationDepth = 200;
  const int s = alphaBeta(*board, LEAF_PLY_LIMIT, 200, -MATE, MATE, 0);
  EXPECT_LT(std::abs(s), MATE_BOUND);
}

TEST_F(Search, FalseTableMatchesNeverReachTheBoard) {
  // Fill the slot of every position one and two moves from the start with
  // a lock that matches and a move from an empty square or of the enemy.
  setUp(START_FEN);
  std::mt19937 rng(99);
  Move first[MAX_MOVES], second[MAX_MOVES];
  const int n = generateAllMoves(*board, board->sideToMove, first);
  auto poison = [&](const Board& b) {
    HashEntry* e = hashEntryFor(b.currentPly->zobrist);
    e->lock = keyHigh(b.currentPly->zobrist);
    e->depth = static_cast<int16_t>(rng() % 3 == 0 ? 114 : 1);
    e->bound = static_cast<uint8_t>(rng() % 3);
    e->score = static_cast<int16_t>(static_cast<int>(rng() % 2000) - 1000);
    // A square on the board but of the wrong side or empty, or off the board.
    e->moveFrom = static_cast<uint8_t>(rng() % 3 == 0 ? rng() % 256 : 0x33 + rng() % 9 + 16 * (3 + rng() % 4));
    e->moveTo = static_cast<uint8_t>(rng() % 256);
  };
  for (int i = 0; i < n; ++i) {
    if (board->makeMove(first[i])) continue;
    poison(*board);
    const int k = generateAllMoves(*board, board->sideToMove, second);
    for (int j = 0; j < k; ++j) {
      if (board->makeMove(second[j])) continue;
      poison(*board);
      board->unmakeMove();
    }
    board->unmakeMove();
  }
  const ZobristKey before = board->currentPly->zobrist;
  searchOptions.timeLimitMs = GO_DEPTH_ONLY_MS;
  searchOptions.maxDepth = 5;
  startCapture();
  searchGo(*board, 5);
  stopCapture();
  EXPECT_EQ(board->currentPly->zobrist, before);
  EXPECT_EQ(board->height(), 0);
  EXPECT_TRUE(rootMoveLegal());
}

TEST_F(Search, TheLineCheckSkipsARefusedMoveAndRestoresTheBoard) {
  // A line whose first move leaves its own king attacked: black's advisor
  // leaves the file the red rook watches.
  setUp("4k4/4a4/9/9/9/9/9/9/4R4/3K5 b");
  PvRecord& line = board->pvLines[0];
  line.count = 3;
  line.moves[0] = moveFromTo(0x37 + 16, 0x36 + 32);  // e8-d7 would expose the king: refused
  line.moves[1] = moveFromTo(0xC6, 0xB6);
  line.moves[2] = NULL_MOVE;
  const ZobristKey before = board->currentPly->zobrist;
  iterationDepth = 4;
  allowPvReport();
  // The line's first move is refused, so the root position is not stored;
  // a stored entry would show a playable move was taken for good.
  testing::internal::CaptureStderr();
  checkAndStorePv(*board, 0);
  checkAndStorePv(*board, 0);  // a second report in the same search stays quiet
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(board->currentPly->zobrist, before);
  EXPECT_EQ(board->height(), 0);
  EXPECT_NE(err.find("测试PV记录的对话框"), std::string::npos) << err;
  EXPECT_EQ(err.find("测试PV记录的对话框"), err.rfind("测试PV记录的对话框")) << err;
  int code = 0;
  Move m = NULL_MOVE;
  probeHash(*board, 0, -MATE, MATE, &m, &code, true);
  EXPECT_EQ(code, 4);  // nothing stored for a broken first move
}

TEST_F(Search, AGoodLineIsWrittenBackPositionByPosition) {
  setUp(START_FEN);
  goDepth(5);
  ASSERT_GE(board->pvLines[0].count, 2);
  clearHash();
  stopRequested = 0;
  iterationDepth = 5;
  checkAndStorePv(*board, 0);
  int code = 0;
  Move m = NULL_MOVE;
  probeHash(*board, 4, -MATE, MATE, &m, &code, true);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(sameMove(m, board->pvLines[0].moves[0]));
  board->makeMove(board->pvLines[0].moves[0]);
  probeHash(*board, 3, -MATE, MATE, &m, &code, true);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(sameMove(m, board->pvLines[0].moves[1]));
  board->unmakeMove();
}

TEST_F(Search, GamePhaseAndNullMoveMaterial) {
  setUp(START_FEN);
  computeGamePhase(*board);
  EXPECT_EQ(gamePhase, 0);
  setUp("3k5/4a4/5a3/9/9/9/9/9/9/4K1R2 w");
  computeGamePhase(*board);
  EXPECT_EQ(gamePhase, 2);
  // A full side counts 5 pawns, 2 advisors, 2 x 2 elephants, 2 x 3 horses,
  // 2 x 6 rooks and 2 x 6 cannons; the king counts nothing.
  EXPECT_EQ(nullMoveMaterial[0xFFFF], 41);
  EXPECT_EQ(nullMoveMaterial[1], 0);
  EXPECT_EQ(nullMoveMaterial[1 << ROOK_INDEX], 6);
  EXPECT_EQ(nullMoveMaterial[(1 << PAWN_INDEX) | (1 << ADVISOR_INDEX)], 2);
}

TEST_F(Search, OneLegalMoveIsPlayedWithoutASearch) {
  // Black's king in check from the rook with one way out (e9).
  setUp("5k3/9/9/9/9/9/9/9/9/3K1R3 b");
  const std::vector<std::string> out = goDepth(8);
  ASSERT_EQ(rootPv.count, 1);
  EXPECT_TRUE(rootMoveLegal());
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out[0].compare(0, 13, "info depth 1 "), 0) << out[0];
}
