#include "movegen/captureorder.h"

#include "board/tables.h"
#include "movegen/movegen.h"

int16_t captureOrderTable[CAPTURE_ORDER_SIZE];


namespace {

// Piece values used only to order captures, by type.
constexpr int ORDER_VALUE[PIECE_TYPE_COUNT] = {1428, 30, 30, 93, 168, 108, 15};
constexpr int VICTIM_WEIGHT = 4;        // valuable victims first
constexpr int GUARD_VICTIM_WEIGHT = 2;  // advisors and elephants off the fixed cases
constexpr int CROSSED_PAWN_SCORE = VICTIM_WEIGHT * ORDER_VALUE[PAWN];

// Fixed scores above minCaptureScore, or GENERIC for 2 * V(victim) - V(mover),
// by mover type (horse, rook, cannon, pawn) and the zone of the victim's point.
constexpr int GENERIC = -1000;
constexpr int MOVER_ROWS = 4;  // horse, rook, cannon, pawn

enum AdvisorZone { BACK_CORNER, PALACE_CENTRE, FRONT_CORNER, ADVISOR_ZONES };
constexpr int ADVISOR_BONUS[MOVER_ROWS][ADVISOR_ZONES] = {
    {GENERIC, GENERIC, 13},  // horse
    {2, 5, 6},               // rook
    {GENERIC, GENERIC, GENERIC},  // cannon
    {60, 85, 100},           // pawn
};

enum ElephantZone { BACK_POINT, EDGE_POINT, HALF_CENTRE, RIVER_BANK, ELEPHANT_ZONES };
constexpr int ELEPHANT_BONUS[MOVER_ROWS][ELEPHANT_ZONES] = {
    {GENERIC, 16, 8, 18},        // horse
    {4, GENERIC, 5, 8},          // rook
    {14, 10, 6, GENERIC},        // cannon
    {GENERIC, GENERIC, 70, 60},  // pawn
};

int advisorZone(int sq) {  // sq in black's half
  if (sq == 0x47) return PALACE_CENTRE;
  return rankOf(sq) == RANK_TOP ? BACK_CORNER : FRONT_CORNER;
}

int elephantZone(int sq) {  // sq in black's half
  switch (relativeRow(BLACK, sq)) {
    case 0: return BACK_POINT;
    case 4: return RIVER_BANK;
    default: return fileOf(sq) == FILE_CENTRE ? HALF_CENTRE : EDGE_POINT;
  }
}

int moverRow(int moverType) {
  switch (moverType) {
    case HORSE: return 0;
    case ROOK: return 1;
    case CANNON: return 2;
    case PAWN: return 3;
    default: return -1;  // king, advisor, elephant: no score
  }
}

int guardScore(int bonus, int victimType, int moverType) {
  if (bonus == GENERIC)
    return GUARD_VICTIM_WEIGHT * ORDER_VALUE[victimType] - ORDER_VALUE[moverType];
  return minCaptureScore + bonus;
}

int captureScore(int mover, int victim, int to) {
  const int mt = PieceTypeOf[mover], vt = PieceTypeOf[victim];
  const int vm = ORDER_VALUE[mt], vv = ORDER_VALUE[vt];
  // Points are the same in both halves; look them up in black's.
  const int blackSq = rankOf(to) <= 7 ? to : flipRank(to);
  switch (vt) {
    case PAWN: {
      const bool crossed = sideOfCode(victim) == BLACK ? rankOf(to) >= 8 : rankOf(to) <= 7;
      return crossed ? CROSSED_PAWN_SCORE : VICTIM_WEIGHT * vv - vm;
    }
    case ADVISOR: {
      if (GuardPoints[blackSq] != ADVISOR_POINT || moverRow(mt) < 0) return 0;
      return guardScore(ADVISOR_BONUS[moverRow(mt)][advisorZone(blackSq)], vt, mt);
    }
    case ELEPHANT: {
      if (GuardPoints[blackSq] != ELEPHANT_POINT || moverRow(mt) < 0) return 0;
      return guardScore(ELEPHANT_BONUS[moverRow(mt)][elephantZone(blackSq)], vt, mt);
    }
    default:  // king, horse, rook, cannon
      return VICTIM_WEIGHT * vv - vm;
  }
}

}  // namespace

void buildCaptureOrderTable() {
  for (int mover = 0; mover < 32; ++mover)
    for (int victim = 0; victim < 32; ++victim)
      for (int to = 0; to < 256; ++to)
        captureOrderTable[captureOrderIndex(mover, victim, to)] =
            InBoard[to] ? static_cast<int16_t>(captureScore(mover, victim, to)) : 0;
}
