// Ordering scores and the two sorts of the move picker: a bubble pass that
// brings the best remaining capture forward one draw at a time, and a stable
// insertion sort with a sentinel for the quiet moves and evasions.
#include "board/board.h"
#include "movegen/captureorder.h"
#include "movegen/history.h"
#include "movegen/movegen.h"
#include "movegen/picker.h"

int16_t scoreCapture(const Board& board, Move* m) {
  m->score = captureOrderTable[captureOrderIndex(board.squares[m->from], board.squares[m->to],
                                                 m->to)];
  return m->score;
}

void scoreCaptureRange(const Board& board, Move* moves, int first, int last) {
  for (int i = first; i < last; ++i) scoreCapture(board, &moves[i]);
}

void scoreQuietRange(const HistoryTables& h, const Board& board, Move* moves, int first,
                     int last) {
  for (int i = first; i < last; ++i)
    moves[i].score = static_cast<int16_t>(historyScore(h, board, moves[i]) - QUIET_SCORE_OFFSET);
}

void scoreMixedRange(const HistoryTables& h, const Board& board, Move* moves, int first,
                     int last) {
  for (int i = first; i < last; ++i) {
    if (isQuiet(board, moves[i]))
      moves[i].score = static_cast<int16_t>(historyScore(h, board, moves[i]) - QUIET_SCORE_OFFSET);
    else
      scoreCapture(board, &moves[i]);
  }
}

bool bubblePass(Move* moves, int first, int last) {
  bool inOrder = true;
  for (int i = last - 2; i >= first; --i) {
    if (moves[i].score < moves[i + 1].score) {
      const Move t = moves[i];
      moves[i] = moves[i + 1];
      moves[i + 1] = t;
      inOrder = false;
    }
  }
  return inOrder;
}

bool sortMoves(Move* moves, int first, int last) {
  moves[last].score = SORT_SENTINEL_SCORE;
  for (int i = last - 2; i >= first; --i) {
    const Move t = moves[i];
    int j = i;
    while (moves[j + 1].score > t.score) {
      moves[j] = moves[j + 1];
      ++j;
    }
    moves[j] = t;
  }
  return true;
}
