// Forced mates from played games (tests/search/mate_fixture.txt, made by
// tools/mate_fixture.cjs and confirmed by an independent engine): the built
// engine, asked over a pipe for "go depth 2N + 5", must play a legal move and
// report a mate score, at least MATE_BOUND when the side to move mates in N
// and at most -MATE_BOUND when it is mated in N whatever it plays, and never
// a mate nearer than the forced one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/engine_tables.h"
#include "frontend/movetext.h"
#include "frontend/position.h"
#include "movegen/movegen.h"
#include "frontend/live_engine.h"

namespace {

// A mate search ends once the mate is found; the deadline only catches a
// hang (sanitised builds run several times slower).
#if defined(__SANITIZE_ADDRESS__)
constexpr int SEARCH_TIMEOUT_MS = 120000;
#else
constexpr int SEARCH_TIMEOUT_MS = 30000;
#endif
constexpr int START_TIMEOUT_MS = 10000;
constexpr int DEPTH_MARGIN = 5;  // search depth is 2N + this

struct MatePosition {
  std::string fen;  // board and side fields
  int mate;         // > 0: the side to move mates in N; < 0: mated in -N
};

std::vector<MatePosition> readMateFixture() {
  std::string path = __FILE__;
  path = path.substr(0, path.find_last_of('/') + 1) + "mate_fixture.txt";
  std::ifstream in(path);
  std::vector<MatePosition> out;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string board, side, semicolon, word;
    MatePosition p{};
    fields >> board >> side >> semicolon >> word >> p.mate;
    EXPECT_TRUE(semicolon == ";" && word == "mate" && p.mate != 0) << line;
    p.fen = board + " " + side;
    out.push_back(p);
  }
  return out;
}

// The texts of the legal moves of a position, by our own generator.
std::set<std::string> legalMoveTexts(const std::string& fen) {
  auto board = enginetest::newBoard();
  std::set<std::string> texts;
  if (!setUpPosition(*board, fen.c_str())) return texts;
  Move moves[MAX_MOVES];
  const int side = board->sideToMove;
  const int n = generateAllMoves(*board, side, moves);
  for (int i = 0; i < n; ++i) {
    if (board->leavesKingAttacked(moves[i], side)) continue;
    char text[5];
    moveToText(moves[i], text);
    texts.insert(text);
  }
  return texts;
}

struct SearchReply {
  bool answered = false;
  std::string bestmove;  // empty for "nobestmove"
  bool hasScore = false;
  int lastScore = 0;     // of the last "info depth D score S" line
  std::string transcript;
};

bool isFinalReply(const std::string& line) {
  return startsWith(line, "bestmove") || line == "nobestmove";
}

SearchReply search(LiveEngine& engine, const MatePosition& p) {
  const int depth = 2 * std::abs(p.mate) + DEPTH_MARGIN;
  const size_t first = engine.lines.size();
  engine.send("position fen " + p.fen);
  engine.send("go depth " + std::to_string(depth));
  SearchReply reply;
  reply.answered = isFinalReply(engine.waitUntil(isFinalReply, SEARCH_TIMEOUT_MS));
  for (size_t i = first; i < engine.lines.size(); ++i) {
    const std::string& l = engine.lines[i];
    reply.transcript += l + "\n";
    std::istringstream words(l);
    std::string info, depthWord, scoreWord;
    int d = 0, s = 0;
    if (words >> info >> depthWord >> d >> scoreWord >> s && info == "info" &&
        depthWord == "depth" && scoreWord == "score") {
      reply.hasScore = true;
      reply.lastScore = s;
    }
    if (startsWith(l, "bestmove ")) {
      std::istringstream move(l.substr(9));
      move >> reply.bestmove;
    }
  }
  return reply;
}

}  // namespace

// The fixture itself: enough of each kind, every position one our set-up
// accepts and one that offers a choice (a single legal move is played
// without a search, so it would report no mate score).
TEST(MateFixture, PositionsAreSoundForOurRules) {
  const auto positions = readMateFixture();
  int winning = 0, losing = 0;
  std::set<int> distances;
  for (const auto& p : positions) {
    (p.mate > 0 ? winning : losing)++;
    distances.insert(p.mate);
    EXPECT_LE(std::abs(p.mate), p.mate > 0 ? 3 : 2) << p.fen;
    auto board = enginetest::newBoard();
    EXPECT_TRUE(setUpPosition(*board, p.fen.c_str())) << p.fen;
    EXPECT_GE(legalMoveTexts(p.fen).size(), 2u) << p.fen;
  }
  EXPECT_GE(winning, 30);
  EXPECT_GE(losing, 10);
  EXPECT_EQ(distances, (std::set<int>{-2, -1, 1, 2, 3}));
}

TEST(MateSearch, FindsEveryForcedMateAndSeesEveryLostOne) {
  const auto positions = readMateFixture();
  ASSERT_FALSE(positions.empty());
  LiveEngine engine;
  engine.send("ucci");
  ASSERT_EQ(engine.waitFor("ucciok", START_TIMEOUT_MS), "ucciok");
  for (const MatePosition& p : positions) {
    const SearchReply reply = search(engine, p);
    ASSERT_TRUE(reply.answered) << "no reply for " << p.fen << "\n" << reply.transcript;
    const auto legal = legalMoveTexts(p.fen);
    const std::string where = p.fen + " (mate " + std::to_string(p.mate) + ")\n" + reply.transcript;
    // A mate score counts the plies to the mated position; no line can
    // be shorter than the forced mate the oracle confirmed.
    const int pliesToMate = p.mate > 0 ? 2 * p.mate - 1 : -2 * p.mate;
    if (p.mate > 0) {
      EXPECT_EQ(legal.count(reply.bestmove), 1u) << "illegal or missing move: " << where;
      EXPECT_TRUE(reply.hasScore && reply.lastScore >= MATE_BOUND) << where;
      EXPECT_LE(reply.lastScore, MATE - pliesToMate) << "a mate faster than forced: " << where;
    } else {
      // A mated engine may still name a move or give up with "nobestmove".
      if (!reply.bestmove.empty()) {
        EXPECT_EQ(legal.count(reply.bestmove), 1u) << where;
      }
      EXPECT_TRUE(reply.hasScore && reply.lastScore <= -MATE_BOUND) << where;
      EXPECT_GE(reply.lastScore, pliesToMate - MATE) << "a mate faster than forced: " << where;
    }
  }
  engine.send("quit");
}
