// Checkers, check evasions and facing kings.
#include "movegen/checks.h"

#include "movegen/genhelpers.h"

#include <initializer_list>

namespace {

// A rook on the nearest square of K's rank, or a pawn next to K whose side
// has crossed the river at K's rank.
bool rankChecker(const Board& b, int attacker, int K, int sq) {
  if (sq == K || sideOfCode(b.squares[sq]) != attacker) return false;
  const int type = gen::typeAt(b, sq);
  if (type == ROOK) return true;
  const bool crossed = attacker == BLACK ? rankOf(K) >= 8 : rankOf(K) <= 7;
  return type == PAWN && (sq == K + 1 || sq == K - 1) && crossed;
}

// A rook on the nearest square of K's file; a pawn right behind K in its
// own forward direction; the king of the side facing from that direction.
bool fileChecker(const Board& b, int attacker, int K, int sq, int facingSide) {
  if (sq == K || sideOfCode(b.squares[sq]) != attacker) return false;
  const int type = gen::typeAt(b, sq);
  if (type == ROOK) return true;
  if (attacker != facingSide) return false;
  return (type == PAWN && sq == K + (attacker == RED ? 16 : -16)) || type == KING;
}

bool cannonAt(const Board& b, int attacker, int K, int sq) {
  return sq != K && gen::isPiece(b, sq, attacker, CANNON);
}

}  // namespace

int findCheckers(const Board& b, int attacker, Move* buf) {
  const int K = b.kingSquare(otherSide(attacker));
  const int r = rankOf(K), f = fileOf(K);
  const LineEntry& row = RowLines[f][b.bitRows[r]];
  const LineEntry& col = ColLines[r][b.bitCols[f]];
  int n = 0;
  for (int p : {row.firstHigh, row.firstLow})
    if (rankChecker(b, attacker, K, r * 16 + p)) gen::add(buf, n, r * 16 + p, K);
  for (int p : {row.secondHigh, row.secondLow})
    if (cannonAt(b, attacker, K, r * 16 + p)) gen::add(buf, n, r * 16 + p, K);
  // Below K (higher ranks) only red's pawn or king can check; above, black's.
  if (fileChecker(b, attacker, K, col.firstHigh + f, RED)) gen::add(buf, n, col.firstHigh + f, K);
  if (fileChecker(b, attacker, K, col.firstLow + f, BLACK)) gen::add(buf, n, col.firstLow + f, K);
  for (int p : {col.secondHigh, col.secondLow})
    if (cannonAt(b, attacker, K, p + f)) gen::add(buf, n, p + f, K);
  for (int i = HORSE_INDEX; i < ROOK_INDEX; ++i) {
    const int h = b.pieceList[sideBase(attacker) + i];
    if (h != NO_SQUARE && b.squares[h + HorseLeg[K - h]] == EMPTY) gen::add(buf, n, h, K);
  }
  return n;
}

int generateEvasions(const Board& b, int side, const Move* checkers, int checkerCount,
                     Move* buf, int stageMask) {
  if (checkerCount <= 0) return 0;  // not in check: nothing to answer
  const int Q = checkers[0].from;
  const int K = b.kingSquare(side);
  int n = 0;
  if (stageMask & EVADE_CAPTURE) n += generateMovesTo(b, Q, side, buf + n, MASK_ALL);
  if (stageMask & EVADE_BLOCK) {
    const int type = gen::typeAt(b, Q);
    if (type == HORSE) {
      const int leg = Q + HorseLeg[K - Q];
      n += generateMovesTo(b, leg, side, buf + n, MASK_RANK | MASK_FILE | MASK_HORSE | MASK_GUARD);
    } else if (type == ROOK || type == CANNON) {
      const bool sameFile = fileOf(K) == fileOf(Q);
      const int unit = sameFile ? 16 : 1;
      const int step = Q > K ? unit : -unit;
      // Arrivals from across the line; the screen leaves the line.
      const int acrossMask = sameFile ? MASK_RANK | MASK_HORSE | MASK_GUARD
                                      : MASK_FILE | MASK_HORSE | MASK_GUARD;
      const int screenMask = MASK_ALL & ~(sameFile ? MASK_FILE : MASK_RANK);
      for (int sq = K + step; sq != Q; sq += step) {
        const int code = b.squares[sq];
        if (code == EMPTY)
          n += generateMovesTo(b, sq, side, buf + n, acrossMask);
        else if (type == CANNON && sideOfCode(code) == side)
          n += generateMovesFrom(b, sq, buf + n, screenMask);
      }
    }
  }
  if (stageMask & EVADE_KING)
    n += generateMovesFromExcept(b, K, buf + n, MASK_RANK | MASK_FILE, Q);
  return n;
}

bool kingsFacing(const Board& b, int side, Move* move) {
  const int blackKing = b.kingSquare(BLACK);
  const int f = fileOf(blackKing);
  const LineEntry& col = ColLines[rankOf(blackKing)][b.bitCols[f]];
  const int below = col.firstHigh + f;
  if (below != blackKing && b.squares[below] == kingIndex(RED)) {
    *move = side == RED ? moveFromTo(below, blackKing) : moveFromTo(blackKing, below);
    return true;
  }
  *move = NULL_MOVE;
  return false;
}
