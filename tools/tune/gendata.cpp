// Training positions for the evaluation tuner: quiet positions of games,
// each with the game's result, one per line ("<board> <w|b> <result>", the
// result red's: 1, 0.5 or 0).
//
//   gendata selfplay OUT GAMES SEED [DEPTH]   fixed-depth self-play from
//                                             random openings
//   gendata pgn OUT FILE...                   games of the match tool's
//                                             --pgn files
//
// The engine's data files are read from the directory above this program
// (the build directory). A position is kept when its side to move is not in
// check and the quiescence search finds nothing better than the static
// score: no capture pending.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "board/board.h"
#include "book/book.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"
#include "frontend/gocommand.h"
#include "frontend/position.h"
#include "frontend/startup.h"
#include "movegen/movegen.h"
#include "search/hash/tt.h"
#include "search/report.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "search/thread.h"
#include "tune/tuner.h"

namespace {

constexpr int HASH_MB = 16;
constexpr int DEFAULT_DEPTH = 6;
// Random plies before the engine plays, and the largest score after them
// that still makes a game worth playing.
constexpr int RANDOM_PLIES_MIN = 4, RANDOM_PLIES_SPAN = 6;
constexpr int OPENING_SCORE_LIMIT = 200;
// Plies skipped at the start of every game (book territory).
constexpr int SKIPPED_PLIES = 10;
// Draw rules of the generator: plies without a capture, plies in all, and
// the count of a position's occurrences.
constexpr int QUIET_PLY_LIMIT = 120;
constexpr int GAME_PLY_LIMIT = 300;
constexpr int REPEAT_LIMIT = 3;
// A game is won once the side to move's score stays beyond this for as
// many plies in a row, or a mate is found.
constexpr int WIN_SCORE = 1000;
constexpr int WIN_PLIES = 8;

std::vector<Move> legalMoves(Board& b) {
  Move moves[MAX_MOVES];
  const int n = generateAllMoves(b, b.sideToMove, moves);
  std::vector<Move> legal;
  for (int i = 0; i < n; ++i) {
    if (b.makeMove(moves[i])) continue;
    b.unmakeMove();
    legal.push_back(moves[i]);
  }
  return legal;
}

bool isQuietPosition(Board& b) {
  if (b.inCheck()) return false;
  int threats = 0;
  const int stand = evaluate(b, 0, -MATE, MATE, &threats);
  // The quiescence search of the main search thread, on a copy of b.
  SearchThread& t = searchThread(0);
  t.board.copyFrom(b);
  t.iterationDepth = 1;
  t.checkPlyLimit = 0;
  return quiesce(t, 0, -MATE, MATE) == stand;
}

// A game's quiet positions, written with its result.
class GameRecord {
 public:
  void add(Board& b) {
    if (!isQuietPosition(b)) return;
    char fen[FEN_TEXT_MAX];
    b.writeFen(fen);
    fens_.emplace_back(fen);
  }
  int write(FILE* out, double redScore) {
    for (const std::string& f : fens_) std::fprintf(out, "%s %g\n", f.c_str(), redScore);
    const int n = static_cast<int>(fens_.size());
    fens_.clear();
    return n;
  }
  void clear() { fens_.clear(); }

 private:
  std::vector<std::string> fens_;
};

void makeGameMove(Board& b, Move m) {
  if (b.height() >= GAME_RECORD_LIMIT) b.trimHistory(GAME_RECORDS_KEPT);
  b.makeMove(m);
}

int searchScore(Board& b, int depth) {
  clearHash();
  return searchGo(b, depthLimits(depth));
}

// Plays one game; returns red's score, or a negative number when the
// opening was refused.
double playGame(Board& b, std::mt19937& rng, int depth, GameRecord* record) {
  setUpPosition(b, START_FEN);
  const int randomPlies = RANDOM_PLIES_MIN + static_cast<int>(rng() % RANDOM_PLIES_SPAN);
  for (int i = 0; i < randomPlies; ++i) {
    const std::vector<Move> moves = legalMoves(b);
    if (moves.empty()) return -1;
    makeGameMove(b, moves[rng() % moves.size()]);
  }
  const int opening = searchScore(b, depth);
  if (opening > OPENING_SCORE_LIMIT || opening < -OPENING_SCORE_LIMIT) return -1;

  std::unordered_map<ZobristKey, int> seen;
  int quietPlies = 0, winningPlies = 0, lastSign = 0;
  for (int ply = randomPlies; ply < GAME_PLY_LIMIT; ++ply) {
    const int side = b.sideToMove;
    const int score = searchGo(b, depthLimits(depth));
    if (rootPv.count == 0) return side == RED ? 0.0 : 1.0;  // no legal move: lost
    const double sideWins = side == RED ? 1.0 : 0.0;
    if (score >= MATE - MAX_PLY) return sideWins;
    if (score <= -MATE + MAX_PLY) return 1.0 - sideWins;
    const int sign = score > WIN_SCORE ? 1 : score < -WIN_SCORE ? -1 : 0;
    // Both sides agree: the mover's sign flips every ply.
    winningPlies = sign != 0 && sign == -lastSign ? winningPlies + 1 : sign != 0;
    lastSign = sign;
    if (winningPlies >= WIN_PLIES) return sign > 0 ? sideWins : 1.0 - sideWins;

    if (ply >= SKIPPED_PLIES) record->add(b);
    const Move m = rootPv.moves[0];
    const bool capture = b.squares[m.to] != EMPTY;
    makeGameMove(b, m);
    quietPlies = capture ? 0 : quietPlies + 1;
    if (capture) seen.clear();
    if (++seen[b.currentPly->zobrist] >= REPEAT_LIMIT || quietPlies >= QUIET_PLY_LIMIT)
      return 0.5;
  }
  return 0.5;
}

int selfPlay(Board& b, FILE* out, int games, unsigned seed, int depth) {
  std::mt19937 rng(seed);
  GameRecord record;
  int positions = 0;
  for (int played = 0; played < games;) {
    const double result = playGame(b, rng, depth, &record);
    if (result < 0) {
      record.clear();
      continue;
    }
    positions += record.write(out, result);
    ++played;
    if (played % 100 == 0) {
      std::fprintf(stderr, "gendata: %d games, %d positions\n", played, positions);
      std::fflush(out);
    }
  }
  return positions;
}

// Games of the match tool's --pgn files: a [Result "..."] tag, then the
// moves from the start position on one line, ending with the result.
int fromPgn(Board& b, FILE* out, const char* path) {
  FILE* in = std::fopen(path, "r");
  if (in == nullptr) {
    std::fprintf(stderr, "gendata: cannot read %s\n", path);
    return 0;
  }
  GameRecord record;
  int positions = 0;
  double result = -1;
  char line[1 << 16];
  while (std::fgets(line, sizeof line, in) != nullptr) {
    if (std::strncmp(line, "[Result \"", 9) == 0) {
      result = std::strncmp(line + 9, "1-0", 3) == 0   ? 1.0
               : std::strncmp(line + 9, "0-1", 3) == 0 ? 0.0
               : std::strncmp(line + 9, "1/2", 3) == 0 ? 0.5
                                                       : -1;
      continue;
    }
    if (line[0] == '[' || line[0] == '\n' || result < 0) continue;
    setUpPosition(b, START_FEN);
    for (char* word = std::strtok(line, " \r\n"); word != nullptr;
         word = std::strtok(nullptr, " \r\n")) {
      if (b.height() >= SKIPPED_PLIES) record.add(b);
      if (replayMoves(b, word) != 1) break;
    }
    positions += record.write(out, result);
    result = -1;
  }
  std::fclose(in);
  return positions;
}

int usage() {
  std::fprintf(stderr,
               "usage: gendata selfplay OUT GAMES SEED [DEPTH]\n"
               "       gendata pgn OUT FILE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return usage();
  const bool selfplay = std::strcmp(argv[1], "selfplay") == 0;
  if (!selfplay && std::strcmp(argv[1], "pgn") != 0) return usage();
  if (selfplay && argc < 5) return usage();

  const std::string dataDirectory = tune::buildDirectory(argv[0]);
  Board* b = startUpEngine(dataDirectory, HASH_MB);
  if (b == nullptr) return 1;
  resetBookHeader();  // the games are the engine's own, never the book's
  FILE* out = std::fopen(argv[2], "w");
  if (out == nullptr) {
    std::fprintf(stderr, "gendata: cannot write %s\n", argv[2]);
    releaseEngine(b);
    return 1;
  }
  int positions = 0;
  if (selfplay) {
    const int depth = argc > 5 ? std::atoi(argv[5]) : DEFAULT_DEPTH;
    positions = selfPlay(*b, out, std::atoi(argv[3]), static_cast<unsigned>(std::atol(argv[4])),
                         depth < 1 ? 1 : depth);
  } else {
    for (int i = 3; i < argc; ++i) positions += fromPgn(*b, out, argv[i]);
  }
  std::fclose(out);
  std::fprintf(stderr, "gendata: %d positions written to %s\n", positions, argv[2]);
  releaseEngine(b);
  return 0;
}
