// Training data of the learned evaluation (gendata netdata): self-play
// games of the engine at a fixed node count or depth, each kept position
// with its search score and the game's result, written as TVND records in
// chunk files of a fixed number of games. A chunk is written under a
// temporary name and renamed once whole, so a run started again with the
// same arguments skips the chunks that exist and plays the rest.
#pragma once

#include <string>

#include "search/limits.h"
#include "train/records.h"

struct Board;

namespace tune {

constexpr int NET_CHUNK_GAMES = 100;

struct NetDataSettings {
  int games = 0;
  unsigned seed = 1;
  SearchLimits limits;
  int chunkGames = NET_CHUNK_GAMES;
};

struct NetDataCount {
  long games = 0, positions = 0, searches = 0;
  double nodes = 0;  // of the searches of the games played now
  int chunksSkipped = 0;
};

// DIR/chunk-SEED-NNNNN.tvnd, chunks numbered from 0.
std::string chunkPath(const std::string& directory, unsigned seed, int chunk);
// A board position as a record's position (score, result and ply aside).
void positionOf(const Board& b, net::Position* p);
// Plays the chunks missing in the directory (made when missing); false
// when a file cannot be written.
bool generateNetData(Board& b, const std::string& directory, const NetDataSettings& s,
                     NetDataCount* count);

}  // namespace tune
