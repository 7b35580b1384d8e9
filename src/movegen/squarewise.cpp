// Square-wise generators: the moves of the piece on one square, and the
// moves of one side that end on one square.
#include "movegen/genhelpers.h"

// clang-format off
const uint8_t GuardPoints[256] = {
  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
  0, 0, 0, 0, 0, 2, 1, 0, 1, 2, 0, 0, 0, 0, 0, 0,
  0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0,
  0, 0, 0, 2, 0, 0, 1, 2, 1, 0, 0, 2, 0, 0, 0, 0,
  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
  0, 0, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0,
};
// clang-format on

namespace {

enum class From { All, Except, Quiets };

template <From F>
int movesFrom(const Board& b, int sq, Move* buf, int mask, int excluded) {
  const int piece = b.squares[sq];
  if (piece >= EMPTY) return 0;
  const int side = sideOfCode(piece);
  const int kind = PieceKindOf[piece];
  const int type = PieceTypeOf[piece];
  auto wanted = [&](int to) {
    const int code = b.squares[to];
    if (F == From::Quiets) return code == EMPTY;
    if (F == From::Except && type == KING && to == excluded) return false;
    return sideOfCode(code) != side;
  };
  int n = 0;
  switch (type) {
    case KING:
    case PAWN:
      for (const TargetNode* t = PieceTargets[kind][sq]; t->target != NO_SQUARE; ++t) {
        const int bit = fileOf(t->target) == fileOf(sq) ? MASK_FILE : MASK_RANK;
        if ((mask & bit) && wanted(t->target)) gen::add(buf, n, sq, t->target);
      }
      break;
    case ADVISOR:
    case ELEPHANT:
    case HORSE:
      if (!(mask & (type == HORSE ? MASK_HORSE : MASK_GUARD))) break;
      for (const TargetNode* t = PieceTargets[kind][sq]; t->target != NO_SQUARE; ++t)
        if (b.squares[t->block] == EMPTY || !needsBlockTest[kind])
          if (wanted(t->target)) gen::add(buf, n, sq, t->target);
      break;
    case ROOK:
    case CANNON: {
      const bool rook = type == ROOK;
      const LineMoveRecord& col = gen::colRecord(b, sq);
      const LineMoveRecord& row = gen::rowRecord(b, sq);
      const int fileCaptureBit = rook ? MASK_FILE : MASK_CANNON_FILE;
      const int rankCaptureBit = rook ? MASK_RANK : MASK_CANNON_RANK;
      if (F != From::Quiets && (mask & fileCaptureBit)) {
        gen::addUnlessOwn(b, side, rook ? col.rookCaptureHigh : col.cannonCaptureHigh, buf, n);
        gen::addUnlessOwn(b, side, rook ? col.rookCaptureLow : col.cannonCaptureLow, buf, n);
      }
      if (mask & MASK_FILE) gen::addSlides(col, buf, n);
      if (F != From::Quiets && (mask & rankCaptureBit)) {
        gen::addUnlessOwn(b, side, rook ? row.rookCaptureLow : row.cannonCaptureLow, buf, n);
        gen::addUnlessOwn(b, side, rook ? row.rookCaptureHigh : row.cannonCaptureHigh, buf, n);
      }
      if (mask & MASK_RANK) gen::addSlides(row, buf, n);
      break;
    }
  }
  return n;
}

// Line pieces able to reach `target` from the nearest occupied square `sq`
// in one direction along one line.
void nearestOnLine(const Board& b, int target, int side, int sq, bool file,
                   bool targetEmpty, Move* buf, int& n) {
  const int code = b.squares[sq];
  if (sq == target || sideOfCode(code) != side) return;
  const int dist = sq > target ? sq - target : target - sq;
  const int step = file ? 16 : 1;
  switch (PieceTypeOf[code]) {
    case ROOK:
      break;
    case CANNON:
      if (!targetEmpty) return;
      break;
    case PAWN:
      if (file) {
        // Only forward: the pawn stands behind the target.
        if (sq != target + (side == RED ? 16 : -16)) return;
      } else if (dist != 1 || relativeRow(side, target) < 5) {
        return;
      }
      break;
    case KING:
      if (dist != step || !PalaceMask[side][target]) return;
      break;
    default:
      return;
  }
  gen::add(buf, n, sq, target);
}

void cannonCapture(const Board& b, int target, int side, int sq, Move* buf, int& n) {
  if (sq != target && gen::isPiece(b, sq, side, CANNON)) gen::add(buf, n, sq, target);
}

struct GuardStep {
  int offset;
  int eye;
};
constexpr int ADVISOR_FROM[4] = {17, -17, 15, -15};
constexpr GuardStep ELEPHANT_FROM[4] = {{34, 17}, {-34, -17}, {30, 15}, {-30, -15}};

}  // namespace

int generateMovesFrom(const Board& b, int sq, Move* buf, int mask) {
  return movesFrom<From::All>(b, sq, buf, mask, NO_SQUARE);
}
int generateMovesFromExcept(const Board& b, int sq, Move* buf, int mask, int excluded) {
  return movesFrom<From::Except>(b, sq, buf, mask, excluded);
}
int generateQuietsFrom(const Board& b, int sq, Move* buf, int mask) {
  return movesFrom<From::Quiets>(b, sq, buf, mask, NO_SQUARE);
}

int generateMovesTo(const Board& b, int target, int side, Move* buf, int mask) {
  const int r = rankOf(target), f = fileOf(target);
  const bool targetEmpty = b.squares[target] == EMPTY;
  int n = 0;
  const LineEntry& row = RowLines[f][b.bitRows[r]];
  const LineEntry& col = ColLines[r][b.bitCols[f]];
  if (mask & MASK_RANK) {
    nearestOnLine(b, target, side, r * 16 + row.firstHigh, false, targetEmpty, buf, n);
    nearestOnLine(b, target, side, r * 16 + row.firstLow, false, targetEmpty, buf, n);
  }
  if ((mask & MASK_CANNON_RANK) && !targetEmpty) {
    cannonCapture(b, target, side, r * 16 + row.secondHigh, buf, n);
    cannonCapture(b, target, side, r * 16 + row.secondLow, buf, n);
  }
  if (mask & MASK_FILE) {
    nearestOnLine(b, target, side, col.firstHigh + f, true, targetEmpty, buf, n);
    nearestOnLine(b, target, side, col.firstLow + f, true, targetEmpty, buf, n);
  }
  if ((mask & MASK_CANNON_FILE) && !targetEmpty) {
    cannonCapture(b, target, side, col.secondHigh + f, buf, n);
    cannonCapture(b, target, side, col.secondLow + f, buf, n);
  }
  if (mask & MASK_HORSE) {
    for (int i = HORSE_INDEX; i < ROOK_INDEX; ++i) {
      const int h = b.pieceList[sideBase(side) + i];
      if (h != NO_SQUARE && b.squares[h + HorseLeg[target - h]] == EMPTY)
        gen::add(buf, n, h, target);
    }
  }
  if (mask & MASK_GUARD) {
    const int point = guardPointOf(side, target);
    if (point == ADVISOR_POINT) {
      for (int d : ADVISOR_FROM)
        if (gen::isPiece(b, target + d, side, ADVISOR)) gen::add(buf, n, target + d, target);
    } else if (point == ELEPHANT_POINT) {
      for (const GuardStep& s : ELEPHANT_FROM)
        if (gen::isPiece(b, target + s.offset, side, ELEPHANT) &&
            b.squares[target + s.eye] == EMPTY)
          gen::add(buf, n, target + s.offset, target);
    }
  }
  return n;
}
