#include "board/board.h"
#include "board/lines.h"
#include "board/tables.h"
#include "board/zobrist.h"

#include <algorithm>

MoveDeltaEntry MoveDelta[PIECE_KIND_COUNT][90 * 90];

void buildMoveDelta() {
  for (int kind = 0; kind < PIECE_KIND_COUNT; ++kind)
    for (int from = 0; from < 256; ++from) {
      if (!InBoard[from]) continue;
      for (int to = 0; to < 256; ++to) {
        if (!InBoard[to]) continue;
        MoveDeltaEntry& e = MoveDelta[kind][Square90[from] * 90 + Square90[to]];
        e.key = zobristKind[kind][from] ^ zobristKind[kind][to] ^ sideKey;
        e.score = static_cast<int16_t>(pieceSquare[kind][to]) -
                  static_cast<int16_t>(pieceSquare[kind][from]);
      }
    }
}

namespace {
constexpr int CAPTURE_BUDGET_MAX = 80;
constexpr int QUIET_BUDGET_COST = 60;
constexpr int CAPTURE_BUDGET_MIN = -50;

inline const MoveDeltaEntry& deltaOf(int piece, Move m) {
  return MoveDelta[PieceKindOf[piece]][Square90[m.from] * 90 + Square90[m.to]];
}

// The key after a move with this delta, taking `captured` (EMPTY: nothing).
inline ZobristKey keyAfterMove(ZobristKey key, const MoveDeltaEntry& e, int captured, int to) {
  return captured != EMPTY ? key ^ e.key ^ zobristPiece[captured][to] : key ^ e.key;
}
}  // namespace

bool Board::makeMove(Move m) {
  const int piece = squares[m.from];
  const int captured = squares[m.to];
  movingPiece = piece;
  pieceList[piece] = m.to;
  if (captured != EMPTY)
    pieceList[captured] = NO_SQUARE;
  else
    toggleBits(m.to);
  toggleBits(m.from);
  squares[m.to] = static_cast<uint8_t>(piece);
  squares[m.from] = EMPTY;

  const int mover = sideToMove;
  if (attacksKing(otherSide(mover))) {
    squares[m.from] = static_cast<uint8_t>(piece);
    squares[m.to] = static_cast<uint8_t>(captured);
    pieceList[piece] = m.from;
    toggleBits(m.from);
    if (captured != EMPTY)
      pieceList[captured] = m.to;
    else
      toggleBits(m.to);
    return true;
  }

  PlyRecord* cur = currentPly;
  PlyRecord* next = cur + 1;
  const MoveDeltaEntry& e = deltaOf(piece, m);
  next->zobrist = keyAfterMove(cur->zobrist, e, captured, m.to);
  if (captured != EMPTY) {
    next->incrementalScore =
        -(pieceSquareByIndex[captured][m.to] + cur->incrementalScore + e.score);
    cur->lastCaptureRecord = cur;
    next->materialSignature = cur->materialSignature & ~PieceBit[captured];
    next->captureExtensionBudget = std::min(
        cur->captureExtensionBudget + CaptureGain[PieceTypeOf[captured]],
        CAPTURE_BUDGET_MAX);
  } else {
    next->incrementalScore = -(cur->incrementalScore + e.score);
    cur->lastCaptureRecord = cur[-1].lastCaptureRecord;
    next->materialSignature = cur->materialSignature;
    next->captureExtensionBudget =
        std::max(cur->captureExtensionBudget - QUIET_BUDGET_COST, CAPTURE_BUDGET_MIN);
  }
  cur->givesCheck = attacksKing(mover);
  cur->move = m;
  cur->capturedCode = static_cast<uint8_t>(captured);
  cur->movedCode = static_cast<uint8_t>(piece);
  currentPly = next;
  accumulatorHeight[(next - plyBase) & ACCUMULATOR_MASK] = ACCUMULATOR_STALE;
  sideToMove = static_cast<uint8_t>(otherSide(mover));
  return false;
}

ZobristKey Board::keyAfter(Move m) const {
  return keyAfterMove(currentPly->zobrist, deltaOf(squares[m.from], m), squares[m.to], m.to);
}

void Board::unmakeMove() {
  sideToMove = static_cast<uint8_t>(otherSide(sideToMove));
  --currentPly;
  const PlyRecord* cur = currentPly;
  const int from = cur->move.from, to = cur->move.to;
  const int captured = cur->capturedCode;
  const int piece = squares[to];
  movingPiece = piece;
  squares[from] = static_cast<uint8_t>(piece);
  squares[to] = static_cast<uint8_t>(captured);
  pieceList[piece] = static_cast<uint8_t>(from);
  toggleBits(from);
  if (captured != EMPTY)
    pieceList[captured] = static_cast<uint8_t>(to);
  else
    toggleBits(to);
}

void Board::makeNullMove() {
  PlyRecord* cur = currentPly;
  PlyRecord* next = cur + 1;
  cur->move = NULL_MOVE;
  cur->capturedCode = EMPTY;
  next->zobrist = cur->zobrist ^ sideKey;
  next->incrementalScore = -cur->incrementalScore;
  next->materialSignature = cur->materialSignature;
  // The budget carries over unchanged across a null move.
  next->captureExtensionBudget = cur->captureExtensionBudget;
  cur->givesCheck = 0;
  cur->lastCaptureRecord = cur;
  currentPly = next;
  accumulatorHeight[(next - plyBase) & ACCUMULATOR_MASK] = ACCUMULATOR_STALE;
  sideToMove = static_cast<uint8_t>(otherSide(sideToMove));
}

void Board::unmakeNullMove() {
  --currentPly;
  sideToMove = static_cast<uint8_t>(otherSide(sideToMove));
}

int Board::findKingAttacker(int s, int* square) const {
  const int o = otherSide(s);
  const int K = pieceList[kingIndex(o)];
  const int r = rankOf(K), f = fileOf(K);
  const LineEntry& E = RowLines[f][bitRows[r]];
  const LineEntry& C = ColLines[r][bitCols[f]];
  // Kings on their own half are the only ones a sideways pawn can reach.
  const bool kingOnOwnHalf = o == BLACK ? r <= 7 : r >= 8;
  auto own = [&](int sq) { return sq != K && sideOfCode(squares[sq]) == s; };
  auto typeAt = [&](int sq) { return PieceTypeOf[squares[sq]]; };
  auto hit = [&](int sq) {
    *square = sq;
    return static_cast<int>(squares[sq]);
  };

  int sq = r * 16 + E.firstHigh;
  if (own(sq) && (typeAt(sq) == ROOK || (typeAt(sq) == PAWN && sq == K + 1 && kingOnOwnHalf)))
    return hit(sq);
  sq = r * 16 + E.firstLow;
  if (own(sq) && (typeAt(sq) == ROOK || (typeAt(sq) == PAWN && sq == K - 1 && kingOnOwnHalf)))
    return hit(sq);
  sq = r * 16 + E.secondHigh;
  if (own(sq) && typeAt(sq) == CANNON) return hit(sq);
  sq = r * 16 + E.secondLow;
  if (own(sq) && typeAt(sq) == CANNON) return hit(sq);

  sq = C.firstHigh + f;  // nearest piece below the king
  if (own(sq) && (typeAt(sq) == ROOK ||
                  (s == RED && ((typeAt(sq) == PAWN && sq == K + 16) || typeAt(sq) == KING))))
    return hit(sq);
  sq = C.firstLow + f;  // nearest piece above the king
  if (own(sq) && (typeAt(sq) == ROOK ||
                  (s == BLACK && ((typeAt(sq) == PAWN && sq == K - 16) || typeAt(sq) == KING))))
    return hit(sq);
  sq = C.secondHigh + f;
  if (own(sq) && typeAt(sq) == CANNON) return hit(sq);
  sq = C.secondLow + f;
  if (own(sq) && typeAt(sq) == CANNON) return hit(sq);

  for (int h = sideBase(s) + HORSE_INDEX; h <= sideBase(s) + HORSE_INDEX + 1; ++h) {
    const int H = pieceList[h];
    if (H != NO_SQUARE && squares[H + HorseLeg[K - H]] == EMPTY) return hit(H);
  }
  return EMPTY;
}

bool Board::attacksKing(int s) const {
  int sq;
  return findKingAttacker(s, &sq) != EMPTY;
}

bool Board::findKingCapture(int s, Move* move) const {
  int sq;
  if (findKingAttacker(s, &sq) == EMPTY) return false;
  move->from = static_cast<uint8_t>(sq);
  move->to = pieceList[kingIndex(otherSide(s))];
  return true;
}

bool Board::leavesKingAttacked(Move m, int s) {
  const int piece = squares[m.from];
  const int captured = squares[m.to];
  pieceList[piece] = m.to;
  if (captured != EMPTY)
    pieceList[captured] = NO_SQUARE;
  else
    toggleBits(m.to);
  toggleBits(m.from);
  squares[m.to] = static_cast<uint8_t>(piece);
  squares[m.from] = EMPTY;

  const bool attacked = attacksKing(otherSide(s));

  squares[m.from] = static_cast<uint8_t>(piece);
  squares[m.to] = static_cast<uint8_t>(captured);
  pieceList[piece] = m.from;
  toggleBits(m.from);
  if (captured != EMPTY)
    pieceList[captured] = m.to;
  else
    toggleBits(m.to);
  return attacked;
}
