// The book's answer for the current position: the record of its key, cut
// down to the moves that can be played, and a fair draw among them.
#include <chrono>
#include <ctime>
#include <random>

#include "board/board.h"
#include "board/tables.h"
#include "book/book.h"
#include "movegen/movegen.h"
#include "platform/platform.h"

namespace {

std::mt19937 generator;
bool seeded = false;

// Calendar seconds alone would give engines started in the same second the
// same choices; the process id and a fine clock tell them apart.
uint32_t startSeed() {
  std::seed_seq seq{
      static_cast<uint32_t>(std::time(nullptr)), processSeed(),
      static_cast<uint32_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count())};
  uint32_t seed = 0;
  seq.generate(&seed, &seed + 1);
  return seed;
}

// A book file can hold anything: the move must be one this position allows.
bool playable(Board& board, Move m) {
  if (!InBoard[m.from] || !InBoard[m.to] || m.from == m.to) return false;
  const int side = board.sideToMove;
  if (!isPseudoLegal(board, side, m)) return false;
  if (!squareAllowedFor(board.squares[m.from], m.to)) return false;  // river, palace
  if (isBannedMove(m)) return false;
  if (board.makeMove(m)) return false;
  board.unmakeMove();
  return true;
}

}  // namespace

void seedBookRandom(uint32_t seed) {
  generator.seed(seed);
  seeded = true;
}

int drawBookIndex(int n) {
  if (n < 1) return 0;
  if (!seeded) seedBookRandom(startSeed());
  return std::uniform_int_distribution<int>(0, n - 1)(generator);
}

Move probeBook(Board& board, PvRecord* line, BookRecord* record, bool* found) {
  *found = false;
  int index = 0;
  const ZobristKey key = board.currentPly->zobrist;
  if (!bookFind(keyLow(key), keyHigh(key), &index)) return NULL_MOVE;
  const BookRecord& stored = bookRecordAt(index);
  *record = stored;
  record->moveCount = 0;
  for (int i = 0; i < stored.moveCount; ++i)
    if (playable(board, stored.moves[i])) record->moves[record->moveCount++] = stored.moves[i];
  for (int i = record->moveCount; i < BOOK_MAX_MOVES; ++i) record->moves[i] = NULL_MOVE;
  if (record->moveCount == 0) return NULL_MOVE;
  const Move chosen = record->moves[drawBookIndex(record->moveCount)];
  PvRecord& pv = *line;
  pv.count = 1;
  pv.moves[0] = chosen;
  pv.rootIndex = 0;
  *found = true;
  return chosen;
}
