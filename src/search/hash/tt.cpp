#include "search/hash/tt.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "config/searchoptions.h"
#include "platform/platform.h"
#include "search/searchstate.h"

namespace {

constexpr int EMPTY_DEPTH = -128;
constexpr int MATE_DEPTH = 114;     // a proven mate bound satisfies every probe
constexpr int HASH_MOVE_SCORE = 32766;
constexpr int SPARE_ENTRIES = 4;    // reached only by the start-up scan
constexpr int GENERATIONS = 16;
constexpr int SMALL_HASH_MB = 4;    // smaller requests get the minimum size
constexpr int SHALLOW_DEPTH = 2;    // probes this shallow need allowShallow
constexpr int DEEPEST_SANE_DEPTH = 115;

HashEntry* table = nullptr;
uint64_t entryCount = 0;
uint32_t indexMask = 0;
int generation = 0;
int ageTable[GENERATIONS];

// Whether a same-position store replaces the stored move, by
// [stored entry deeper than the new result][stored bound][new bound].
constexpr uint8_t MoveReplaces[2][3][3] = {
    {{1, 1, 0}, {1, 1, 1}, {1, 1, 1}},  // stored depth <= new depth
    {{1, 1, 0}, {1, 1, 0}, {1, 1, 1}},  // stored entry deeper
};

void recomputeAges() {
  for (int g = 0; g < GENERATIONS; ++g)
    ageTable[g] = (generation - g + GENERATIONS) % GENERATIONS;
}

// Threads read and write slots without locks, a word at a time. The lock
// word is kept xor-ed with the two data words: a slot read while another
// thread writes it (some words old, some new) fails the lock test instead
// of pairing one position's lock with another's score or move.
static_assert(sizeof(HashEntry) == 3 * sizeof(uint32_t) && alignof(HashEntry) >= 4,
              "a slot is three whole words");

inline HashEntry loadEntry(const HashEntry& slot) {
  const uint32_t* words = reinterpret_cast<const uint32_t*>(&slot);
  uint32_t w[3];
  for (int k = 0; k < 3; ++k) w[k] = __atomic_load_n(words + k, __ATOMIC_RELAXED);
  w[0] ^= w[1] ^ w[2];
  HashEntry e;
  std::memcpy(&e, w, sizeof e);
  return e;
}

inline void saveEntry(HashEntry& slot, const HashEntry& e) {
  uint32_t w[3];
  std::memcpy(w, &e, sizeof w);
  w[0] ^= w[1] ^ w[2];
  uint32_t* words = reinterpret_cast<uint32_t*>(&slot);
  for (int k = 0; k < 3; ++k) __atomic_store_n(words + k, w[k], __ATOMIC_RELAXED);
}

// An empty slot as it lies in memory (its lock word encoded).
HashEntry emptySlot() {
  HashEntry slot;
  saveEntry(slot, HashEntry{0, EMPTY_DEPTH, 0, 0, 0, 0, 0});
  return slot;
}

// No search runs while the table is cleared: plain stores of the empty slot.
void clearEntries() { std::fill_n(table, entryCount + SPARE_ENTRIES, emptySlot()); }

// Mate scores (beyond the perpetual-check range) from the root's view to
// the node's and back; other scores are kept as they are.
inline int toStored(int score, int ply) {
  return score > PERPETUAL ? score + ply : score < -PERPETUAL ? score - ply : score;
}
inline int fromStored(int score, int ply) {
  return score > PERPETUAL ? score - ply : score < -PERPETUAL ? score + ply : score;
}

inline HashEntry& slotOf(const Board& board) {
  return table[keyLow(board.currentPly->zobrist) & indexMask];
}

}  // namespace

int hashSizeBits(int sizeMb) {
  if (sizeMb < SMALL_HASH_MB) sizeMb = HASH_MIN_MB;
  const uint64_t bytes = static_cast<uint64_t>(sizeMb) << 20;
  int bits = 0;
  while ((uint64_t(2) << bits) * sizeof(HashEntry) <= bytes) ++bits;
  return bits;
}

int allocateHash(int bits) {
  freeHash();
  if (bits > 31) bits = 31;
  if (bits < 0) bits = 0;
  for (;; --bits) {
    const uint64_t n = uint64_t(1) << bits;
    table = static_cast<HashEntry*>(allocateLargeBlock((n + SPARE_ENTRIES) * sizeof(HashEntry)));
    if (table != nullptr || bits == 0) {
      if (table == nullptr) return -1;  // not even a handful of entries
      entryCount = n;
      indexMask = static_cast<uint32_t>(n - 1);
      clearEntries();
      return bits;
    }
  }
}

void clearHash() {
  if (table != nullptr) clearEntries();
  generation = 0;
  recomputeAges();
}

void freeHash() {
  freeLargeBlock(table);
  table = nullptr;
  entryCount = 0;
  indexMask = 0;
}

void nextGeneration() {
  generation = (generation + 1) % GENERATIONS;
  recomputeAges();
}

int hashGeneration() { return generation; }

int hashFullPermille() {
  constexpr uint64_t SAMPLE = 1000;
  const uint64_t n = std::min(SAMPLE, entryCount);
  uint64_t used = 0;
  for (uint64_t i = 0; i < n; ++i) {
    const HashEntry e = loadEntry(table[i]);
    used += e.depth != EMPTY_DEPTH && e.age == generation;
  }
  return n == 0 ? 0 : static_cast<int>(used * 1000 / n);
}
uint64_t hashEntryCount() { return entryCount; }
HashEntry* hashEntryFor(ZobristKey key) { return &table[keyLow(key) & indexMask]; }

void writeHashEntry(ZobristKey key, const HashEntry& entry) {
  saveEntry(*hashEntryFor(key), entry);
}

void prefetchHash(ZobristKey key) { __builtin_prefetch(&table[keyLow(key) & indexMask]); }

bool readHash(const Board& board, int ply, HashHit* hit) {
  const uint32_t lock = keyHigh(board.currentPly->zobrist);
  const HashEntry e = loadEntry(slotOf(board));
  if (e.lock != lock) return false;
  *hit = {Move{e.moveFrom, e.moveTo, HASH_MOVE_SCORE}, e.depth, e.bound, fromStored(e.score, ply)};
  return true;
}

int probeHash(const Board& board, int ply, int depth, int alpha, int beta, Move* move,
              HashProbe* code, bool allowShallow) {
  HashHit hit;
  if (!readHash(board, ply, &hit)) {
    *move = NULL_MOVE;
    *code = HASH_MISS;
    return NO_SCORE;
  }
  *move = hit.move;
  if (depth <= hit.depth && (allowShallow || depth > SHALLOW_DEPTH)) {
    if (hit.bound == BOUND_EXACT) {
      *code = HASH_EXACT;
      return hit.score;
    }
    if ((hit.bound == BOUND_LOWER && hit.score >= beta) ||
        (hit.bound == BOUND_UPPER && hit.score <= alpha)) {
      *code = HASH_CUT;
      return hit.score;
    }
    *code = HASH_NO_CUT;
    return NO_SCORE;
  }
  *code = HASH_SHALLOW;
  return NO_SCORE;
}

bool shouldReplace(const HashEntry& entry, int depth, int bound, int score) {
  const int e = entry.depth - ageTable[entry.age];
  if (e < depth) return true;
  if (e > depth) return bound < entry.bound;
  if (bound != entry.bound) return bound < entry.bound || entry.bound != BOUND_EXACT;
  if (bound == BOUND_UPPER) return score < entry.score;
  if (bound == BOUND_LOWER) return score > entry.score;
  return false;
}

void storeHash(const Board& board, int ply, int depth, int score, int bound, Move move) {
  if (stopRequested) return;
  const int stored = toStored(score, ply);
  const uint32_t lock = keyHigh(board.currentPly->zobrist);
  HashEntry& slot = slotOf(board);
  HashEntry e = loadEntry(slot);
  if (e.lock == lock) {
    if (!searchOptions.alwaysReplace && !shouldReplace(e, depth, bound, stored)) return;
    const int deeper = e.depth > depth ? 1 : 0;
    if (MoveReplaces[deeper][e.bound][bound]) {
      e.moveFrom = move.from;
      e.moveTo = move.to;
    }
  } else {
    e.lock = lock;
    e.moveFrom = move.from;
    e.moveTo = move.to;
  }
  e.bound = static_cast<uint8_t>(bound);
  e.score = static_cast<int16_t>(stored);
  e.age = static_cast<uint8_t>(generation);
  const bool mateLower = score >= MATE_BOUND && bound != BOUND_UPPER;
  const bool mateUpper = score <= -MATE_BOUND && bound != BOUND_LOWER;
  e.depth = static_cast<int16_t>(mateLower || mateUpper ? MATE_DEPTH : depth);
  saveEntry(slot, e);
}

void checkHashTable(int bound) {
  const HashEntry empty = emptySlot();
  for (uint64_t i = 0; i < entryCount; ++i) {
    for (uint64_t j = i; j < i + SPARE_ENTRIES; ++j) {
      if (std::memcmp(&table[j], &empty, sizeof empty) == 0) continue;
      const HashEntry e = loadEntry(table[j]);
      if (e.lock == 0) continue;
      if ((e.depth != EMPTY_DEPTH && e.depth < -bound) || e.depth > DEEPEST_SANE_DEPTH)
        showDebugInt(e.depth);
      break;
    }
  }
}
