// Side-wide generators: every capture, every non-capture, every move, and
// the same set again in countMoves' order.
#include "movegen/genhelpers.h"

namespace {

enum class Want { Captures, Quiets, All };

template <Want W>
inline bool qualifies(int code, int side) {
  if (W == Want::Captures) return sideOfCode(code) == otherSide(side);
  if (W == Want::Quiets) return code == EMPTY;
  return sideOfCode(code) != side;
}

// King, advisor and pawn: no block square. Elephant and horse: block first.
template <Want W, bool BLOCKED>
inline void stepMoves(const Board& b, int side, int kind, int sq, Move* buf, int& n) {
  for (const TargetNode* t = PieceTargets[kind][sq]; t->target != NO_SQUARE; ++t) {
    if (BLOCKED && b.squares[t->block] != EMPTY) continue;
    if (qualifies<W>(b.squares[t->target], side)) gen::add(buf, n, sq, t->target);
  }
}

template <Want W>
int generate(const Board& b, int side, Move* buf) {
  const int base = sideBase(side);
  const int kindBase = side * 7;
  const int enemy = otherSide(side);
  int n = 0;
  stepMoves<W, false>(b, side, kindBase + KING, b.pieceList[base + KING_INDEX], buf, n);
  for (int i = ADVISOR_INDEX; i < ELEPHANT_INDEX; ++i)
    stepMoves<W, false>(b, side, kindBase + ADVISOR, b.pieceList[base + i], buf, n);
  for (int i = ELEPHANT_INDEX; i < HORSE_INDEX; ++i)
    stepMoves<W, true>(b, side, kindBase + ELEPHANT, b.pieceList[base + i], buf, n);
  for (int i = HORSE_INDEX; i < ROOK_INDEX; ++i)
    stepMoves<W, true>(b, side, kindBase + HORSE, b.pieceList[base + i], buf, n);
  for (int i = ROOK_INDEX; i < PAWN_INDEX; ++i) {
    const int sq = b.pieceList[base + i];
    if (sq == NO_SQUARE) continue;
    const bool rook = i < CANNON_INDEX;
    const LineMoveRecord& col = gen::colRecord(b, sq);
    const LineMoveRecord& row = gen::rowRecord(b, sq);
    const LineCapture& colHigh = rook ? col.rookCaptureHigh : col.cannonCaptureHigh;
    const LineCapture& colLow = rook ? col.rookCaptureLow : col.cannonCaptureLow;
    const LineCapture& rowHigh = rook ? row.rookCaptureHigh : row.cannonCaptureHigh;
    const LineCapture& rowLow = rook ? row.rookCaptureLow : row.cannonCaptureLow;
    if (W == Want::Captures) {
      // Forward along the file first: towards higher ranks for black.
      gen::addIfEnemy(b, enemy, side == BLACK ? colHigh : colLow, buf, n);
      gen::addIfEnemy(b, enemy, side == BLACK ? colLow : colHigh, buf, n);
      gen::addIfEnemy(b, enemy, rowLow, buf, n);
      gen::addIfEnemy(b, enemy, rowHigh, buf, n);
    } else if (W == Want::Quiets) {
      gen::addSlides(col, buf, n);
      gen::addSlides(row, buf, n);
    } else {
      gen::addUnlessOwn(b, side, colHigh, buf, n);
      gen::addUnlessOwn(b, side, colLow, buf, n);
      gen::addSlides(col, buf, n);
      gen::addUnlessOwn(b, side, rowLow, buf, n);
      gen::addUnlessOwn(b, side, rowHigh, buf, n);
      gen::addSlides(row, buf, n);
    }
  }
  for (int i = PAWN_INDEX; i < 16; ++i)
    stepMoves<W, false>(b, side, kindBase + PAWN, b.pieceList[base + i], buf, n);
  return n;
}

}  // namespace

int generateCaptures(const Board& b, int side, Move* buf) {
  return generate<Want::Captures>(b, side, buf);
}
int generateQuiets(const Board& b, int side, Move* buf) {
  return generate<Want::Quiets>(b, side, buf);
}
int generateAllMoves(const Board& b, int side, Move* buf) {
  return generate<Want::All>(b, side, buf);
}

int countMoves(const Board& b, int side, Move* buf) {
  const int base = sideBase(side);
  int n = 0;
  for (int i = base; i < base + 16; ++i) {
    const int sq = b.pieceList[i];
    if (sq == NO_SQUARE) continue;
    const int kind = PieceKindOf[i];
    const int type = PieceTypeOf[i];
    if (type == ROOK || type == CANNON) {
      const bool rook = type == ROOK;
      const LineMoveRecord& row = gen::rowRecord(b, sq);
      const LineMoveRecord& col = gen::colRecord(b, sq);
      gen::addUnlessOwn(b, side, rook ? row.rookCaptureLow : row.cannonCaptureLow, buf, n);
      gen::addUnlessOwn(b, side, rook ? row.rookCaptureHigh : row.cannonCaptureHigh, buf, n);
      gen::addSlides(row, buf, n);
      gen::addUnlessOwn(b, side, rook ? col.rookCaptureHigh : col.cannonCaptureHigh, buf, n);
      gen::addUnlessOwn(b, side, rook ? col.rookCaptureLow : col.cannonCaptureLow, buf, n);
      gen::addSlides(col, buf, n);
    } else if (needsBlockTest[kind]) {
      stepMoves<Want::All, true>(b, side, kind, sq, buf, n);
    } else {
      stepMoves<Want::All, false>(b, side, kind, sq, buf, n);
    }
  }
  return n;
}
