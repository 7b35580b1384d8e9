// The transposition table: one 12-byte entry per slot, addressed by the low
// key word and verified by the high key word.
#pragma once

#include "config/config.h"
#include "types.h"

struct Board;

struct HashEntry {
  uint32_t lock;
  int16_t depth;   // -128 when empty; 114 for a proven mate bound
  int16_t score;
  uint8_t moveFrom;
  uint8_t moveTo;
  uint8_t bound;   // 0 exact, 1 lower (>= beta), 2 upper (<= alpha)
  uint8_t age;     // generation of the store
};
static_assert(sizeof(HashEntry) == 12, "hash entries are 12 bytes");

enum HashBound : uint8_t { BOUND_EXACT = 0, BOUND_LOWER = 1, BOUND_UPPER = 2 };


int hashSizeBits(int sizeMb);
// Allocates 2^bits entries (plus 4 spares, seen only by checkHashTable) and
// clears them; when that fails, halves the table until an allocation
// succeeds. Returns the bits actually used (-1 only if not even one entry
// could be had). A previous table is released first.
int allocateHash(int bits);
void clearHash();
void freeHash();
void nextGeneration();
int hashGeneration();
// Per mille of a sample of slots that hold an entry of this search.
int hashFullPermille();
uint64_t hashEntryCount();
// The slot of a key as it lies in memory, its lock word encoded (tests and
// diagnostics), and a slot written with the given content, as a store would.
HashEntry* hashEntryFor(ZobristKey key);
void writeHashEntry(ZobristKey key, const HashEntry& entry);

// Mate scores are stored as distances from the node and read back as
// distances from the root: ply is the node's distance from the root.
// Starts loading the slot of a key into the cache.
void prefetchHash(ZobristKey key);
// What the table holds for a position: the stored move, depth and bound,
// and the score as a distance from the root.
struct HashHit {
  Move move;
  int depth, bound, score;
};
// False when the table holds nothing for the board's position.
bool readHash(const Board& board, int ply, HashHit* hit);
// What a probe found for a node; the first two return a score to use.
enum HashProbe : int {
  HASH_EXACT = 0,    // an exact score deep enough
  HASH_CUT = 1,      // a bound deep enough that cuts the window
  HASH_NO_CUT = 2,   // a bound deep enough that does not
  HASH_SHALLOW = 3,  // an entry too shallow (its move still counts)
  HASH_MISS = 4,     // nothing stored
};
// The probe gave a score the node may use.
inline bool hashScoreUsable(HashProbe code) { return code == HASH_EXACT || code == HASH_CUT; }
// Probes the table for a node.
int probeHash(const Board& board, int ply, int depth, int alpha, int beta, Move* move,
              HashProbe* code, bool allowShallow);
void storeHash(const Board& board, int ply, int depth, int score, int bound, Move move);
bool shouldReplace(const HashEntry& entry, int depth, int bound, int score);
// Start-up consistency scan; reports odd depths through showDebugInt. The
// bound is the search options' hashCheckBound: a stored depth below -bound
// counts as odd.
void checkHashTable(int bound);
