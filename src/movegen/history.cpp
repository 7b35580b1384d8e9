// The history table (ordering scores, cut-off and try counts by piece and
// destination), the killer slots of the picker frames, and the history
// bookkeeping after a cut-off.
#include "movegen/history.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "board/tables.h"
#include "config/searchoptions.h"
#include "movegen/picker.h"

HistoryEntry historyTable[32][HISTORY_SLOTS];
int16_t continuationTable[PIECE_KIND_COUNT][90][PIECE_KIND_COUNT][90];
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
  historyClear();  // tried is never 0, even before the first search
}

void historyClear() {
  for (auto& row : historyTable)
    for (HistoryEntry& e : row) e = HistoryEntry{0, 1, 1};
  // 3 MB: cleared only for the searches that read it.
  if (searchOptions.useContinuationHistory)
    std::memset(continuationTable, 0, sizeof continuationTable);
}

namespace {

inline HistoryEntry& scoreEntry(const Board& board, Move m) {
  return historyTable[board.squares[m.from]][historySlotTable[m.to][board.squares[m.to]]];
}

inline HistoryEntry& countEntry(int piece, int to) { return historyTable[piece][Square90[to]]; }

inline void countTried(HistoryEntry& e) {
  if (++e.tried > HISTORY_TRIED_LIMIT) {
    e.good = static_cast<uint16_t>((e.good + 1) / 2);
    e.tried = static_cast<uint16_t>((e.tried + 1) / 2);
  }
}

inline int depthBonus(int depth) {
  return depth < 1 ? 1 : depthBonusTable[std::min(depth, DEPTH_BONUS_ENTRIES - 1)];
}

// Calls visit for each quiet move the quiet stage offered before the
// cut-off move `best` (the last one it offered); none when the cut-off
// came from an earlier stage.
template <typename Visit>
void forEachQuietBefore(const MovePicker& picker, Move best, Visit visit) {
  if (picker.stage != PICKER_STAGE_QUIETS) return;
  const Board& b = *picker.board;
  for (int i = picker.quietStart; i < picker.cursor - 1; ++i) {
    const Move m = picker.moves[i];
    if (!sameMove(m, best) && isQuiet(b, m)) visit(m);
  }
}

}  // namespace

void historyAdd(const Board& board, int depth, Move m) {
  HistoryEntry& e = scoreEntry(board, m);
  e.score += depthBonus(depth);
  if (e.score > HISTORY_SCORE_LIMIT)
    for (auto& row : historyTable)
      for (HistoryEntry& x : row) x.score >>= HISTORY_SCORE_SHIFT;
}

int historyScore(const Board& board, Move m) { return scoreEntry(board, m).score; }

void historyGood(const Board& board, Move m) {
  if (board.squares[m.to] != EMPTY) return;
  HistoryEntry& e = countEntry(board.squares[m.from], m.to);
  ++e.good;
  countTried(e);
}

void historyTried(const Board& board, Move m) {
  if (board.squares[m.to] != EMPTY) return;
  countTried(countEntry(board.squares[m.from], m.to));
}

unsigned historyRatio(const Board& board, Move m) {
  const HistoryEntry& e = countEntry(static_cast<int>(board.movingPiece), m.to);
  return static_cast<unsigned>(e.good) * HISTORY_RATIO_SCALE / e.tried;
}

void markTriedMoves(MovePicker& picker) {
  const Board& b = *picker.board;
  const Move hash = picker.hashMove();
  switch (picker.stage) {
    case 2:
    case 4:
    case 5:
      if (!isNullMove(hash)) historyTried(b, hash);
      break;
    case PICKER_STAGE_QUIETS:
      if (!isNullMove(hash)) historyTried(b, hash);
      for (int i = picker.quietStart; i < picker.cursor - 1; ++i) {
        const Move m = picker.moves[i];
        if (sameMove(m, hash) || sameMove(m, picker.killer1()) || sameMove(m, picker.killer2()))
          continue;
        historyTried(b, m);
      }
      break;
    default:
      break;
  }
}

void historyPenalizeTried(MovePicker& picker, int depth, Move best) {
  const int malus = depthBonus(depth);
  forEachQuietBefore(picker, best, [&](Move m) {
    HistoryEntry& e = scoreEntry(*picker.board, m);
    e.score = std::max(0, e.score - malus);
  });
}

namespace {

// The entry of m after the last move; nullptr after a null move.
int16_t* continuationEntry(const Board& b, Move m) {
  const Move last = b.currentPly[-1].move;
  if (isNullMove(last)) return nullptr;
  return &continuationTable[PieceKindOf[b.squares[last.to]]][Square90[last.to]]
                           [PieceKindOf[b.squares[m.from]]][Square90[m.to]];
}

// Moves the entry towards +-limit by bonus, less the closer it is.
void gravity(int16_t* entry, int bonus) {
  const int v = *entry + bonus - *entry * std::abs(bonus) / CONTINUATION_LIMIT;
  *entry = static_cast<int16_t>(std::clamp(v, -CONTINUATION_LIMIT, CONTINUATION_LIMIT));
}

}  // namespace

int continuationScore(const Board& board, Move m) {
  const int16_t* e = continuationEntry(board, m);
  return e == nullptr ? 0 : *e;
}

void continuationUpdate(MovePicker& picker, int depth, Move best) {
  const Board& b = *picker.board;
  const int bonus = std::min(depthBonus(depth), CONTINUATION_LIMIT / 4);
  int16_t* e = continuationEntry(b, best);
  if (e == nullptr) return;
  gravity(e, bonus);
  forEachQuietBefore(picker, best, [&](Move m) { gravity(continuationEntry(b, m), -bonus); });
}

void setKiller(MovePicker& picker, Move m) {
  if (sameMove(m, picker.killer1())) return;
  picker.killer2() = picker.killer1();
  picker.killer1() = m;
}

void setCaptureKiller(MovePicker& picker, Move m) {
  if (sameMove(m, picker.captureKillers[0])) return;
  picker.captureKillers[1] = picker.captureKillers[0];
  picker.captureKillers[0] = m;
}
