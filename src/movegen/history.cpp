// The history tables of a search thread: ordering scores, cut-off and try
// counts by piece and destination, and the continuation history.
#include "movegen/history.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "board/tables.h"
#include "movegen/movegen.h"

uint8_t historySlotTable[256][EMPTY + 1];
int depthBonusTable[DEPTH_BONUS_ENTRIES];

void buildHistoryTables() {
  for (int sq = 0; sq < 256; ++sq) {
    const int index = Square90[sq];
    for (int victim = 0; victim < EMPTY; ++victim)
      historySlotTable[sq][victim] =
          static_cast<uint8_t>(HISTORY_QUIET_SLOTS + victim * index % HISTORY_CAPTURE_SLOTS);
    historySlotTable[sq][EMPTY] = static_cast<uint8_t>(index);
  }
  for (int d = 0; d < DEPTH_BONUS_ENTRIES; ++d)
    depthBonusTable[d] = d < DEPTH_BONUS_SQUARED_BELOW ? d * d : DEPTH_BONUS_DEEP;
}

void historyClear(HistoryTables& h, bool continuation) {
  for (auto& row : h.table)
    for (HistoryEntry& e : row) e = HistoryEntry{0, 1, 1};
  if (continuation) std::memset(h.continuation, 0, sizeof h.continuation);
}

namespace {

inline HistoryEntry& scoreEntry(HistoryTables& h, const Board& board, Move m) {
  return h.table[board.squares[m.from]][historySlotTable[m.to][board.squares[m.to]]];
}

inline HistoryEntry& countEntry(HistoryTables& h, int piece, int to) {
  return h.table[piece][Square90[to]];
}

inline void countTried(HistoryEntry& e) {
  if (++e.tried > HISTORY_TRIED_LIMIT) {
    e.good = static_cast<uint16_t>((e.good + 1) / 2);
    e.tried = static_cast<uint16_t>((e.tried + 1) / 2);
  }
}

inline int depthBonus(int depth) {
  return depth < 1 ? 1 : depthBonusTable[std::min(depth, DEPTH_BONUS_ENTRIES - 1)];
}

// Calls visit for each quiet move of `tried` other than `best`.
template <typename Visit>
void forEachQuiet(const Board& b, MoveSpan tried, Move best, Visit visit) {
  for (int i = 0; i < tried.count; ++i) {
    const Move m = tried.first[i];
    if (!sameMove(m, best) && isQuiet(b, m)) visit(m);
  }
}

}  // namespace

void historyAdd(HistoryTables& h, const Board& board, int depth, Move m) {
  HistoryEntry& e = scoreEntry(h, board, m);
  e.score += depthBonus(depth);
  if (e.score > HISTORY_SCORE_LIMIT)
    for (auto& row : h.table)
      for (HistoryEntry& x : row) x.score >>= HISTORY_SCORE_SHIFT;
}

int historyScore(const HistoryTables& h, const Board& board, Move m) {
  return h.table[board.squares[m.from]][historySlotTable[m.to][board.squares[m.to]]].score;
}

void historyGood(HistoryTables& h, const Board& board, Move m) {
  if (board.squares[m.to] != EMPTY) return;
  HistoryEntry& e = countEntry(h, board.squares[m.from], m.to);
  ++e.good;
  countTried(e);
}

void historyTried(HistoryTables& h, const Board& board, Move m) {
  if (board.squares[m.to] != EMPTY) return;
  countTried(countEntry(h, board.squares[m.from], m.to));
}

unsigned historyRatio(const HistoryTables& h, const Board& board, Move m) {
  const HistoryEntry& e = h.table[board.movingPiece][Square90[m.to]];
  return static_cast<unsigned>(e.good) * HISTORY_RATIO_SCALE / e.tried;
}

void historyPenalizeTried(HistoryTables& h, const Board& board, MoveSpan tried, int depth,
                          Move best) {
  const int malus = depthBonus(depth);
  forEachQuiet(board, tried, best, [&](Move m) {
    HistoryEntry& e = scoreEntry(h, board, m);
    e.score = std::max(0, e.score - malus);
  });
}

namespace {

// The entry of m after the last move; nullptr after a null move.
template <typename Tables>
auto continuationEntry(Tables& h, const Board& b, Move m) -> decltype(&h.continuation[0][0][0][0]) {
  const Move last = b.currentPly[-1].move;
  if (isNullMove(last)) return nullptr;
  return &h.continuation[PieceKindOf[b.squares[last.to]]][Square90[last.to]]
                        [PieceKindOf[b.squares[m.from]]][Square90[m.to]];
}

// Moves the entry towards +-limit by bonus, less the closer it is.
void gravity(int16_t* entry, int bonus) {
  const int v = *entry + bonus - *entry * std::abs(bonus) / CONTINUATION_LIMIT;
  *entry = static_cast<int16_t>(std::clamp(v, -CONTINUATION_LIMIT, CONTINUATION_LIMIT));
}

}  // namespace

int continuationScore(const HistoryTables& h, const Board& board, Move m) {
  const int16_t* e = continuationEntry(h, board, m);
  return e == nullptr ? 0 : *e;
}

void continuationUpdate(HistoryTables& h, const Board& board, MoveSpan tried, int depth,
                        Move best) {
  const int bonus = std::min(depthBonus(depth), CONTINUATION_LIMIT / 4);
  int16_t* e = continuationEntry(h, board, best);
  if (e == nullptr) return;
  gravity(e, bonus);
  forEachQuiet(board, tried, best,
               [&](Move m) { gravity(continuationEntry(h, board, m), -bonus); });
}
