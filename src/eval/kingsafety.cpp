// King safety: for each side as attacker, a threat count and an attack
// score against the enemy king from its rooks, horses, cannons and pawns.
#include "eval/evaluate.h"

#include <algorithm>

#include "board/movelists.h"
#include "eval/evaltables.h"
#include "eval/kingsafety.h"

using namespace evalterm;

namespace kingsafety {
namespace {

// The rook's file on the side the advisors already cover counts less.
inline bool coveredFlank(int file, int advisorClass) {
  return (file < FILE_CENTRE && advisorClass == ADVISORS_LEFT) ||
         (file > FILE_CENTRE && advisorClass == ADVISORS_RIGHT);
}

void rooks(const Board& b, Attack* a) {
  const int first = sideBase(a->attacker) + ROOK_INDEX;
  const int low = rookPressureLow(), high = rookPressureHigh();
  for (int i = first; i <= first + 1; ++i) {
    const int sq = b.pieceList[i];
    if (sq == NO_SQUARE) continue;
    const int pressure = RowMoves[sq][b.bitRows[rankOf(sq)]].rookValue[a->attacker] +
                         ColMoves[sq][b.bitCols[fileOf(sq)]].rookValue[a->attacker];
    if (pressure < low) continue;
    a->threats += (pressure >= high) + (coveredFlank(fileOf(sq), a->advisorClass) ? 0 : 1);
  }
  if (b.pieceList[first] == NO_SQUARE && b.pieceList[first + 1] == NO_SQUARE)
    a->score -= noRookPenalty();
}

void horses(const Board& b, Attack* a) {
  const int first = sideBase(a->attacker) + HORSE_INDEX;
  for (int i = first; i <= first + 1; ++i) {
    const int sq = b.pieceList[i];
    if (sq == NO_SQUARE) continue;
    const int freeLegs = (b.squares[sq - 16] == EMPTY) + (b.squares[sq + 16] == EMPTY) +
                         (b.squares[sq - 1] == EMPTY) + (b.squares[sq + 1] == EMPTY);
    a->score += horseLeg(freeLegs);
    if (!horseApproach[a->attacker][sq]) continue;
    if (coveredFlank(fileOf(sq), a->advisorClass))
      a->threats += freeLegs > 2;
    else
      a->threats += (freeLegs > 1) + 1;
  }
  if (b.pieceList[first] == NO_SQUARE && b.pieceList[first + 1] == NO_SQUARE)
    a->score -= noHorsePenalty();
}

// Cannons and pawns near the palace, by the state of the defender's palace.
void palace(const Board& b, Attack* a, int rookThreats) {
  const int d = a->defender;
  const int king = b.pieceList[kingIndex(d)];
  const int advisors = sideBase(d) + ADVISOR_INDEX;
  if (b.pieceList[advisors] == NO_SQUARE || b.pieceList[advisors + 1] == NO_SQUARE) {
    if (rookThreats >= 4) a->score += advisorLossBonus(a->advisorClass == ADVISORS_NONE);
    generalCannons(b, a);
  } else if (king != KING_HOME[d]) {
    if (king == PALACE_CENTRE[d]) a->score += kingRaisedBonus();
    generalCannons(b, a);
  } else if (a->advisorClass >= ADVISORS_HOME && a->advisorClass <= ADVISORS_RIGHT) {
    specialCannons(b, a);
  } else {
    generalCannons(b, a);
  }
  const int cannons = sideBase(a->attacker) + CANNON_INDEX;
  if (b.pieceList[cannons] == NO_SQUARE && b.pieceList[cannons + 1] == NO_SQUARE)
    a->score -= noCannonPenalty();
}

void pawns(const Board& b, Attack* a) {
  const uint32_t signature = b.currentPly->materialSignature;
  const int defenderMaterial =
      attackMaterialTable[(signature >> ATTACK_MATERIAL_SHIFT[a->defender]) & 63];
  if (defenderMaterial < attackMaterialThreshold())
    a->score += pawnShield(pawnCountTable5[(signature >> PAWN_COUNT_SHIFT[a->attacker]) & 31]);
}

Attack attackOn(const Board& b, int attacker) {
  Attack a{};
  a.attacker = attacker;
  a.defender = otherSide(attacker);
  const int advisors = sideBase(a.defender) + ADVISOR_INDEX;
  a.advisorClass = advisorClassTable[b.pieceList[advisors] | b.pieceList[advisors + 1] << 8];
  rooks(b, &a);
  const int rookThreats = a.threats;
  horses(b, &a);
  palace(b, &a, rookThreats);
  pawns(b, &a);
  a.score += kingDanger(std::min(a.threats, KING_DANGER_MAX_COUNT));
  return a;
}

}  // namespace
}  // namespace kingsafety

int kingSafety(const Board& b, int side, int16_t* threatsBlack, int16_t* threatsRed) {
  const kingsafety::Attack black = kingsafety::attackOn(b, BLACK);
  const kingsafety::Attack red = kingsafety::attackOn(b, RED);
  *threatsBlack = static_cast<int16_t>(black.threats);
  *threatsRed = static_cast<int16_t>(red.threats);
  return side == BLACK ? black.score - red.score : red.score - black.score;
}
