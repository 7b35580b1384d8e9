// Tables of the static evaluation: those built once at start-up from the
// piece codes and squares, and named views of the evaluation script's
// values (read straight from the loaded script, so a reload is seen at once).
#pragma once

#include "config/evalscript.h"
#include "types.h"

// ------------------------------------------------------- derived tables
// By the 6-bit horse/rook/cannon part of a side's material signature:
// horses + cannons + 2 x rooks (0..8).
extern uint8_t attackMaterialTable[64];
// Number of set bits of a 5-bit pawn part of a material signature.
extern uint8_t pawnCountTable5[32];
// By the two advisor squares of a side as one word (low byte the first
// advisor's square, high byte the second's): the advisor class below.
extern uint8_t advisorClassTable[65536];
// By one side's 16 presence bits of a material signature: the sum over its
// pieces of their endgame value minus their value (see endgameValue).
extern int32_t endgameShift[65536];
// Attack material of both sides (horses + cannons + 2 x rooks) at which a
// position counts as a full middle game; with none left it is a bare
// endgame, and the piece values move linearly between the two.
constexpr int PHASE_FULL = 16;
// By piece code: 2 for horses, 1 for cannons, 0 for the rest.
extern uint8_t lineTargetClass[32];
// By attacking side and square: squares from which a horse or cannon of that
// side bears on the enemy palace.
extern uint8_t horseApproach[2][256];
extern uint8_t cannonApproach[2][256];

enum AdvisorClass : int {
  ADVISORS_SCATTERED = 0,  // any other placement, one advisor lost included
  ADVISORS_HOME = 1,       // both on their home corners
  ADVISORS_LEFT = 2,       // palace centre and the file-6 corner
  ADVISORS_RIGHT = 3,      // palace centre and the file-8 corner
  ADVISORS_NONE = 4,       // both captured
};

// Shifts of the horse/rook/cannon and pawn parts of a material signature.
constexpr int ATTACK_MATERIAL_SHIFT[2] = {HORSE_INDEX, HORSE_INDEX + 16};
constexpr int PAWN_COUNT_SHIFT[2] = {PAWN_INDEX, PAWN_INDEX + 16};
constexpr int KING_DANGER_MAX_COUNT = 12;  // last entry of the danger table
constexpr int HORSE_LEG_MAX = 4;
constexpr int PAWN_SHIELD_MAX = 5;

// Home square, palace centre and back rank of each side's king.
constexpr int KING_HOME[2] = {0x37, 0xC7};
constexpr int PALACE_CENTRE[2] = {0x47, 0xB7};
constexpr int BACK_RANK[2] = {RANK_TOP, RANK_BOTTOM};
// One rank towards a side's own back rank.
constexpr int TOWARDS_BACK[2] = {-16, 16};
// A side's palace corners on file 6 and on file 8.
constexpr int CORNER_LEFT[2] = {0x36, 0xC6};
constexpr int CORNER_RIGHT[2] = {0x38, 0xC8};

// ---------------------------------------------- values of the script
namespace evalterm {

inline int tempoBonus() { return evalScript.evalConstA; }
// A piece's value in a bare endgame: the second number of its block, or its
// value when that is 0 (a script without endgame values).
inline int endgameValue(int type) {
  return evalScript.pieceSecond[type] != 0 ? evalScript.pieceSecond[type] : pieceValue[type];
}
inline int lazyMarginMaterial() { return evalScript.halvingTable[0]; }
inline int lazyMarginKingSafety() { return evalScript.halvingTable[1]; }
inline int lazyMarginLines() { return evalScript.halvingTable[4]; }
inline int kingDanger(int count) { return evalScript.list12[count]; }
inline int horseLeg(int freeLegs) { return evalScript.list23[freeLegs]; }
inline int pawnShield(int pawns) { return evalScript.stepTable[5 + pawns]; }
inline int attackMaterialThreshold() { return evalScript.triple9[2]; }
inline int rookPressureLow() { return evalScript.pair3[0]; }
inline int rookPressureHigh() { return evalScript.pair3[1]; }
inline int noRookPenalty() { return evalScript.triple18[0]; }
inline int noCannonPenalty() { return evalScript.triple18[1]; }
inline int noHorsePenalty() { return evalScript.triple18[2]; }
inline int advisorLossBonus(bool bothLost) { return evalScript.pair19[bothLost ? 1 : 0]; }
inline int kingRaisedBonus() { return evalScript.value15b; }
inline int cornerAttackBonus() { return evalScript.value15a; }
inline int screenedCannon(int ranks) { return evalScript.list14[ranks]; }
inline int openCannon(int ranks) { return evalScript.list16[ranks]; }
inline bool bottomCannonFile(int file) { return evalScript.list17[file - FILE_LEFT] > 0; }
// Relation tables by square difference (-255..255).
inline int pinnedByRook(int delta) { return evalScript.relation20[delta + 256]; }
inline int pinnedByCannon(int delta) { return evalScript.relation21[delta + 256]; }
inline int beforeRaisedKing(int delta) { return evalScript.relation22[delta + 256]; }

}  // namespace evalterm
