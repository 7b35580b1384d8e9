#include "search/pvcheck.h"

#include <algorithm>

#include "board/board.h"
#include "eval/evaluate.h"
#include "movegen/checks.h"
#include "movegen/movegen.h"
#include "search/hash/tt.h"
#include "search/report.h"
#include "search/thread.h"

namespace {

bool reportArmed = true;

int staticScore(const SearchThread& t, int ply) {
  int threats = 0;
  return evaluate(t.board, ply - t.iterationDepth, -MATE, MATE, &threats);
}

bool playable(const Board& board, Move m) {
  const int side = board.sideToMove;
  if (isPseudoLegal(board, side, m)) return true;
  Move capture = NULL_MOVE;
  return kingsFacing(board, side, &capture) && sameMove(capture, m);
}

void reportBrokenLine(const PvRecord& line, int broken) {
  if (!reportArmed) return;
  reportArmed = false;
  searchReporter->brokenLine(line, broken);
}

}  // namespace

void allowPvReport() { reportArmed = true; }

int checkAndStorePv(SearchThread& t, int ply) {
  Board& board = t.board;
  const PvRecord& line = t.pvLines[0];
  if (ply >= std::min(line.count, MAX_PLY)) return staticScore(t, ply);
  const Move m = line.moves[ply];
  // A move the board refuses (it would leave the mover's king attacked) is
  // as unplayable as one that breaks the piece's rules; nothing to take back.
  if (!playable(board, m) || board.makeMove(m)) {
    reportBrokenLine(line, ply);
    return staticScore(t, ply);
  }
  const int v = -checkAndStorePv(t, ply + 1);
  board.unmakeMove();
  storeHash(board, ply, std::max(0, t.iterationDepth - ply - 1), v, BOUND_EXACT, m);
  return v;
}
