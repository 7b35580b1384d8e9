// Move-ordering memory of a search thread: the history table (scores, cut-off
// and try counts) and the continuation history.
#pragma once

#include "types.h"

struct Board;

// ---- history (quiet moves and captures by piece and destination)
// Quiet moves use the Square90 index of the destination as slot; captures
// share the slots 90..127, spread by victim and destination.
constexpr int HISTORY_SLOTS = 128;
constexpr int HISTORY_QUIET_SLOTS = 90;
constexpr int HISTORY_CAPTURE_SLOTS = HISTORY_SLOTS - HISTORY_QUIET_SLOTS;
constexpr int HISTORY_SCORE_LIMIT = 32766;  // above it every score is divided by 4
constexpr int HISTORY_SCORE_SHIFT = 2;
constexpr int HISTORY_TRIED_LIMIT = 16383;  // above it good and tried are halved
constexpr int HISTORY_RATIO_SCALE = 16384;
constexpr int DEPTH_BONUS_ENTRIES = 48;
constexpr int DEPTH_BONUS_SQUARED_BELOW = 32;  // bonus d * d below this depth
constexpr int DEPTH_BONUS_DEEP = 1000;         // bonus from that depth on

struct HistoryEntry {
  int32_t score;
  uint16_t good;
  uint16_t tried;  // never 0 once cleared
};

// ---- continuation history: how a quiet move fared right after the move
// before it, by both moves' piece kinds and destinations; saturating at
// +-CONTINUATION_LIMIT
constexpr int CONTINUATION_LIMIT = 8192;

// The move-ordering memory of one search thread.
struct HistoryTables {
  HistoryEntry table[32][HISTORY_SLOTS];
  int16_t continuation[PIECE_KIND_COUNT][90][PIECE_KIND_COUNT][90];
};

// Moves a picker offered, in order (the quiet moves tried before a cut-off).
struct MoveSpan {
  const Move* first;
  int count;
};

// Score slot by to-square and its occupant's code (EMPTY for a quiet move).
extern uint8_t historySlotTable[256][EMPTY + 1];
extern int depthBonusTable[DEPTH_BONUS_ENTRIES];

void buildHistoryTables();  // slot and depth-bonus tables, at start-up
// With `continuation`, the continuation history too (3 MB: cleared only for
// the searches that read it).
void historyClear(HistoryTables& h, bool continuation);
void historyAdd(HistoryTables& h, const Board& board, int depth, Move m);
int historyScore(const HistoryTables& h, const Board& board, Move m);
void historyGood(HistoryTables& h, const Board& board, Move m);
void historyTried(HistoryTables& h, const Board& board, Move m);
// good * 16384 / tried of the piece moved last (board.movingPiece).
unsigned historyRatio(const HistoryTables& h, const Board& board, Move m);
// The quiet moves of `tried` other than `best` lose the score a cut-off at
// this depth would have earned them (never below 0).
void historyPenalizeTried(HistoryTables& h, const Board& board, MoveSpan tried, int depth,
                          Move best);

int continuationScore(const HistoryTables& h, const Board& board, Move m);  // 0 after a null move
// The cut-off move `best` gains, the quiet moves of `tried` before it lose.
void continuationUpdate(HistoryTables& h, const Board& board, MoveSpan tried, int depth,
                        Move best);
