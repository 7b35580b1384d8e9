#include "tune/netdata.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "board/board.h"
#include "board/tables.h"
#include "frontend/setoption.h"
#include "search/thread.h"
#include "tune/selfplay.h"

namespace tune {
namespace {

// Positions of the first plies are not kept (the openings are random).
constexpr int NET_SKIPPED_PLIES = 8;
// A game whose scores stay within this many units for this many plies,
// from this ply on, is drawn.
constexpr int NET_DRAW_SCORE = 12, NET_DRAW_PLIES = 24, NET_DRAW_FROM_PLY = 80;

// Side to move not in check, a quiet best move and a score that is no mate.
bool keptPosition(const Board& b, int score, Move best, int ply) {
  return ply >= NET_SKIPPED_PLIES && !b.inCheck() && b.squares[best.to] == EMPTY &&
         score < MATE_BOUND && score > -MATE_BOUND;
}

// Plays the games of one chunk into its file.
bool playChunk(Board& b, const std::string& path, int games, std::mt19937& rng,
               const GameRules& rules, NetDataCount* count) {
  const std::string part = path + ".part";
  std::FILE* out = std::fopen(part.c_str(), "wb");
  if (out == nullptr || !net::writeHeader(out)) {
    if (out != nullptr) std::fclose(out);
    return false;
  }
  std::vector<net::Position> game;
  const PositionVisit visit = [&](Board& board, int score, Move best, int ply) {
    ++count->searches;
    count->nodes += double(searchedNodes());
    if (!keptPosition(board, score, best, ply)) return;
    net::Position p;
    positionOf(board, &p);
    p.score = score;
    p.ply = ply;
    game.push_back(p);
  };
  bool ok = true;
  for (int played = 0; played < games && ok;) {
    game.clear();
    const double result = playGame(b, rng, rules, visit);
    if (result < 0) continue;
    ++played;
    ++count->games;
    for (net::Position& p : game) {
      p.result = result > 0.75 ? net::RESULT_WON : result < 0.25 ? net::RESULT_LOST : net::RESULT_DRAWN;
      net::Record r;
      net::packRecord(p, &r);
      ok = ok && std::fwrite(r.bytes, net::RECORD_BYTES, 1, out) == 1;
    }
    count->positions += long(game.size());
  }
  ok = std::fclose(out) == 0 && ok;
  return ok && std::rename(part.c_str(), path.c_str()) == 0;
}

}  // namespace

std::string chunkPath(const std::string& directory, unsigned seed, int chunk) {
  char name[64];
  std::snprintf(name, sizeof name, "chunk-%u-%05d.tvnd", seed, chunk);
  return (std::filesystem::path(directory) / name).string();
}

void positionOf(const Board& b, net::Position* p) {
  p->count = 0;
  for (int index = 0; index < 32; ++index) {
    const int sq = b.pieceList[index];
    if (sq == NO_SQUARE) continue;
    p->square[p->count] = static_cast<uint8_t>((rankOf(sq) - RANK_TOP) * 9 + fileOf(sq) - FILE_LEFT);
    p->piece[p->count] =
        static_cast<uint8_t>(PieceTypeOf[index] + (sideOfCode(index) == RED ? net::RED_PIECE : 0));
    ++p->count;
  }
  p->side = b.sideToMove == RED ? 1 : 0;
}

bool generateNetData(Board& b, const std::string& directory, const NetDataSettings& s,
                     NetDataCount* count) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  GameRules rules;
  rules.limits = s.limits;
  rules.drawScore = NET_DRAW_SCORE;
  rules.drawPlies = NET_DRAW_PLIES;
  rules.drawFromPly = NET_DRAW_FROM_PLY;
  const int perChunk = s.chunkGames < 1 ? 1 : s.chunkGames;
  const int chunks = (s.games + perChunk - 1) / perChunk;
  for (int chunk = 0; chunk < chunks; ++chunk) {
    const std::string path = chunkPath(directory, s.seed, chunk);
    if (net::countRecords(path.c_str()) >= 0) {
      ++count->chunksSkipped;
      continue;
    }
    // Every chunk is its own: seeded by its number, fresh tables.
    std::seed_seq seeds{s.seed, static_cast<unsigned>(chunk)};
    std::mt19937 rng(seeds);
    startNewGame();
    const int games = chunk + 1 < chunks ? perChunk : s.games - chunk * perChunk;
    const auto start = std::chrono::steady_clock::now();
    const long before = count->positions;
    if (!playChunk(b, path, games, rng, rules, count)) {
      std::fprintf(stderr, "gendata: cannot write %s\n", path.c_str());
      return false;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "gendata: %s: %d games, %ld positions, %.0f s\n", path.c_str(), games,
                 count->positions - before, seconds);
  }
  return true;
}

}  // namespace tune
