// The cannon part of king safety: the general rule, the rules for a king at
// home behind both advisors, and the pieces behind the king's file.
#include "board/lines.h"
#include "eval/evaltables.h"
#include "eval/evaluate.h"
#include "eval/kingsafety.h"

using namespace evalterm;

namespace kingsafety {
namespace {

constexpr int CENTRE_FILE_BIT = 1 << (FILE_CENTRE - FILE_LEFT);

int attackMaterial(const Board& b, int side) {
  return attackMaterialTable[(b.currentPly->materialSignature >> ATTACK_MATERIAL_SHIFT[side]) & 63];
}

// A cannon on the centre file facing the king at home.
void centreCannon(const Board& b, Attack* a, int sq, int ranks, int backRankBit) {
  const int d = a->defender;
  const LineMaskEntry& m = ColLineMasks[rankOf(sq)][b.bitCols[FILE_CENTRE]];
  if (a->advisorClass == ADVISORS_HOME) {
    if (m.firstMask & backRankBit) {
      a->threats += 2;
      if (attackMaterial(b, a->attacker) >= attackMaterialThreshold())
        a->score += openCannon(ranks);
    } else if (m.thirdMask & backRankBit) {
      a->threats += 1;
      if (holds(b, PALACE_CENTRE[d], d, HORSE)) a->score += 4 * screenedCannon(ranks);
    }
    return;
  }
  // Two screens, the nearer not a pawn of the defender's.
  if (!(m.thirdMask & backRankBit) || holds(b, sq + 2 * TOWARDS_BACK[d], d, PAWN)) return;
  a->threats += 1;
  a->score += screenedCannon(ranks);
  const int corner = a->advisorClass == ADVISORS_LEFT ? CORNER_RIGHT[d] : CORNER_LEFT[d];
  if (isAttackedByFreePieces(b, corner, a->attacker, NO_SQUARE)) {
    a->threats += 1;
    a->score += cornerAttackBonus();
  }
}

// A cannon on the defender's back rank.
void bottomCannon(const Board& b, Attack* a, int sq) {
  const LineMaskEntry& m = RowLineMasks[fileOf(sq)][b.bitRows[rankOf(sq)]];
  if (a->advisorClass == ADVISORS_HOME) {
    if (m.thirdMask & CENTRE_FILE_BIT) a->threats += 1;
    return;
  }
  if (!bottomCannonFile(fileOf(sq))) return;
  if (m.firstMask & CENTRE_FILE_BIT)
    a->threats += 2;
  else if (m.thirdMask & CENTRE_FILE_BIT)
    a->threats += 1;
}

}  // namespace

void specialCannons(const Board& b, Attack* a) {
  const int backRank = BACK_RANK[a->defender];
  const int backRankBit = 1 << (backRank - RANK_TOP);
  const int first = sideBase(a->attacker) + CANNON_INDEX;
  for (int i = first; i <= first + 1; ++i) {
    const int sq = b.pieceList[i];
    if (sq == NO_SQUARE) continue;
    const int ranks = rankOf(sq) > backRank ? rankOf(sq) - backRank : backRank - rankOf(sq);
    if (fileOf(sq) == FILE_CENTRE)
      centreCannon(b, a, sq, ranks, backRankBit);
    else if (rankOf(sq) == backRank)
      bottomCannon(b, a, sq);
  }
}

void generalCannons(const Board& b, Attack* a) {
  const int king = b.pieceList[kingIndex(a->defender)];
  const int first = sideBase(a->attacker) + CANNON_INDEX;
  for (int i = first; i <= first + 1; ++i) {
    const int sq = b.pieceList[i];
    if (cannonApproach[a->attacker][sq]) a->threats += SameLine[sq * 256 + king];
  }
  int16_t threats = static_cast<int16_t>(a->threats);
  a->score += kingFileThreats(b, a->attacker, &threats);
  a->threats = threats;
}

}  // namespace kingsafety

int kingFileThreats(const Board& b, int attacker, int16_t* threats) {
  const int defender = otherSide(attacker);
  const int king = b.pieceList[kingIndex(defender)];
  if (king == NO_SQUARE) return 0;  // only after a king was taken
  const int file = fileOf(king);
  const LineEntry& e = ColLines[rankOf(king)][b.bitCols[file]];
  // Towards the defender's own back edge. With nothing that way the fields
  // name the king's own square, which holds no piece of the attacker.
  const bool down = defender == RED;
  const int x = (down ? e.firstHigh : e.firstLow) + file;
  const int second = (down ? e.secondHigh : e.secondLow) + file;
  const int third = (down ? e.thirdHigh : e.thirdLow) + file;
  int score = 0;
  if (kingsafety::holds(b, second, attacker, ROOK)) {
    *threats = static_cast<int16_t>(*threats + 1);
    const int code = b.squares[x];
    if (sideOfCode(code) != attacker && lineTargetClass[code] > 0)
      score = beforeRaisedKing(king - x);
  }
  if (kingsafety::holds(b, third, attacker, CANNON)) {
    const int code = b.squares[x];
    if (sideOfCode(code) != attacker && lineTargetClass[code] > 1)
      score += beforeRaisedKing(king - x);
  }
  return score;
}
