// Training positions for the evaluation tuner: quiet positions of games,
// each with the game's result, one per line ("<board> <w|b> <result>", the
// result red's: 1, 0.5 or 0).
//
//   gendata selfplay OUT GAMES SEED [DEPTH]   fixed-depth self-play from
//                                             random openings
//   gendata pgn OUT FILE...                   games of the match tool's
//                                             --pgn files
//
// And the records of the learned evaluation (TVND, see netdata.h):
//
//   gendata netdata DIR GAMES SEED [--nodes N | --depth D] [--chunk K]
//   gendata netprep OUT IN... [--seed S]      every position once, shuffled
//
// The engine's data files are read from the directory above this program
// (the build directory). A position is kept when its side to move is not in
// check and the quiescence search finds nothing better than the static
// score: no capture pending.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/board.h"
#include "book/book.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"
#include "frontend/position.h"
#include "frontend/startup.h"
#include "search/search.h"
#include "search/thread.h"
#include "train/records.h"
#include "tune/netdata.h"
#include "tune/selfplay.h"
#include "tune/tuner.h"

namespace {

constexpr int HASH_MB = 16;
constexpr int DEFAULT_DEPTH = 6;
// Plies skipped at the start of every game (book territory).
constexpr int SKIPPED_PLIES = 10;
// The network data's searches by default, and the seed of netprep's order.
constexpr int NET_DEFAULT_NODES = 10000;
constexpr uint64_t PREP_DEFAULT_SEED = 1;

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

int selfPlay(Board& b, FILE* out, int games, unsigned seed, int depth) {
  std::mt19937 rng(seed);
  GameRecord record;
  tune::GameRules rules;
  rules.limits = depthLimits(depth);
  const tune::PositionVisit visit = [&record](Board& board, int, Move, int ply) {
    if (ply >= SKIPPED_PLIES) record.add(board);
  };
  int positions = 0;
  for (int played = 0; played < games;) {
    const double result = tune::playGame(b, rng, rules, visit);
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
               "       gendata pgn OUT FILE...\n"
               "       gendata netdata DIR GAMES SEED [--nodes N | --depth D] [--chunk K]\n"
               "       gendata netprep OUT IN... [--seed S]\n");
  return 2;
}

bool positiveNumber(const char* text, long* v) {
  char* end = nullptr;
  *v = std::strtol(text, &end, 10);
  return end != text && *end == '\0' && *v > 0;
}

int netData(int argc, char** argv) {
  tune::NetDataSettings s;
  long games = 0, seed = 0, value = 0;
  if (argc < 5 || !positiveNumber(argv[3], &games) || !positiveNumber(argv[4], &seed))
    return usage();
  s.games = int(games);
  s.seed = static_cast<unsigned>(seed);
  s.limits.nodes = NET_DEFAULT_NODES;
  for (int i = 5; i < argc; i += 2) {
    if (i + 1 >= argc || !positiveNumber(argv[i + 1], &value)) return usage();
    if (std::strcmp(argv[i], "--nodes") == 0) {
      s.limits.nodes = uint64_t(value);
    } else if (std::strcmp(argv[i], "--depth") == 0) {
      s.limits.depth = int(value);
      s.limits.nodes = 0;
    } else if (std::strcmp(argv[i], "--chunk") == 0) {
      s.chunkGames = int(value);
    } else {
      return usage();
    }
  }
  Board* b = startUpEngine(tune::buildDirectory(argv[0]), HASH_MB);
  if (b == nullptr) return 1;
  resetBookHeader();
  tune::NetDataCount count;
  const auto start = std::chrono::steady_clock::now();
  const bool ok = tune::generateNetData(*b, argv[2], s, &count);
  const double hours =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 3600;
  std::fprintf(stderr,
               "gendata: %d chunks were there; %ld games played, %ld positions (%.1f a game), "
               "%.0f nodes a search, %.0f positions an hour\n",
               count.chunksSkipped, count.games, count.positions,
               count.games ? double(count.positions) / double(count.games) : 0.0,
               count.searches ? count.nodes / double(count.searches) : 0.0,
               hours > 0 ? double(count.positions) / hours : 0.0);
  releaseEngine(b);
  return ok ? 0 : 1;
}

int netPrep(int argc, char** argv) {
  std::vector<const char*> inputs;
  uint64_t seed = PREP_DEFAULT_SEED;
  for (int i = 3; i < argc; ++i) {
    long value = 0;
    if (std::strcmp(argv[i], "--seed") != 0) {
      inputs.push_back(argv[i]);
    } else if (i + 1 < argc && positiveNumber(argv[i + 1], &value)) {
      seed = uint64_t(value);
      ++i;
    } else {
      return usage();
    }
  }
  if (inputs.empty()) return usage();
  return net::prepareRecords(argv[2], inputs, seed) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return usage();
  if (std::strcmp(argv[1], "netdata") == 0) return netData(argc, argv);
  if (std::strcmp(argv[1], "netprep") == 0) return netPrep(argc, argv);
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
