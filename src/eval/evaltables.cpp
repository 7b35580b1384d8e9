// Start-up tables of the static evaluation.
#include "eval/evaltables.h"

#include <cstring>

#include "board/tables.h"
#include "eval/evaluate.h"

uint8_t attackMaterialTable[64];
uint8_t pawnCountTable5[32];
uint8_t advisorClassTable[65536];
uint8_t lineTargetClass[32];
int32_t endgameShift[65536];
uint8_t horseApproach[2][256];
uint8_t cannonApproach[2][256];

namespace {

int bitCount(int v) {
  int n = 0;
  for (; v != 0; v &= v - 1) ++n;
  return n;
}

int advisorWord(int first, int second) { return first | second << 8; }

// Both orders of one pair of advisor squares.
void setAdvisorPair(int a, int b, int advisorClass) {
  advisorClassTable[advisorWord(a, b)] = static_cast<uint8_t>(advisorClass);
  advisorClassTable[advisorWord(b, a)] = static_cast<uint8_t>(advisorClass);
}

// The approach sets, drawn for an attack on black's palace (ranks 3..5).
bool horseApproachOnBlack(int sq) {
  if (!InBoard[sq]) return false;
  const int r = rankOf(sq), f = fileOf(sq);
  if (r == 3 || r == 4) return f >= 4 && f <= 10 && f != FILE_CENTRE;
  if (r == 5 || r == 6) return f >= 4 && f <= 10;
  if (r == 7) return f >= 5 && f <= 9;
  return false;
}

bool cannonApproachOnBlack(int sq) {
  if (!InBoard[sq]) return false;
  const int r = rankOf(sq), f = fileOf(sq);
  if (r >= 3 && r <= 5) return f <= 5 || f >= 9;
  if (r == 6 || r == 7) return f == FILE_CENTRE;
  if (r >= 8 && r <= 10) return f >= 6 && f <= 8;
  return false;
}

}  // namespace

void buildEvalTables() {
  for (int v = 0; v < 64; ++v)
    attackMaterialTable[v] =
        static_cast<uint8_t>(bitCount(v & 3) + 2 * bitCount(v & 12) + bitCount(v & 48));
  for (int v = 0; v < 32; ++v) pawnCountTable5[v] = static_cast<uint8_t>(bitCount(v));

  std::memset(advisorClassTable, ADVISORS_SCATTERED, sizeof advisorClassTable);
  advisorClassTable[advisorWord(NO_SQUARE, NO_SQUARE)] = ADVISORS_NONE;
  for (int side = BLACK; side <= RED; ++side) {
    setAdvisorPair(CORNER_LEFT[side], CORNER_RIGHT[side], ADVISORS_HOME);
    setAdvisorPair(PALACE_CENTRE[side], CORNER_LEFT[side], ADVISORS_LEFT);
    setAdvisorPair(PALACE_CENTRE[side], CORNER_RIGHT[side], ADVISORS_RIGHT);
  }

  for (int code = 0; code < 32; ++code) {
    const int type = PieceTypeOf[code];
    lineTargetClass[code] = type == HORSE ? 2 : type == CANNON ? 1 : 0;
  }

  // Red attacks black's palace: the sets as drawn; black attacks red's: the
  // square's rank mirrored first.
  for (int sq = 0; sq < 256; ++sq) {
    horseApproach[RED][sq] = horseApproachOnBlack(sq);
    horseApproach[BLACK][sq] = horseApproachOnBlack(flipRank(sq));
    cannonApproach[RED][sq] = cannonApproachOnBlack(sq);
    cannonApproach[BLACK][sq] = cannonApproachOnBlack(flipRank(sq));
  }
}
