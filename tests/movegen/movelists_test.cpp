// The precomputed target lists and line-move records, and the capture-order
// table.
#include "board/movelists.h"

#include "config/evalscript.h"
#include "movegen/captureorder.h"
#include "support.h"

namespace movegentest {
namespace {

constexpr int BLACK_ELEPHANT = 2, BLACK_HORSE = 3, BLACK_ROOK = 4, BLACK_PAWN = 6;
constexpr int RED_KING = 7, RED_PAWN = 13;

std::vector<std::pair<int, int>> targetsOf(int kind, int sq) {
  std::vector<std::pair<int, int>> out;
  for (const TargetNode* t = PieceTargets[kind][sq]; t->target != NO_SQUARE; ++t)
    out.emplace_back(t->target, t->block);
  return out;
}

using Targets = std::vector<std::pair<int, int>>;

TEST(TargetLists, StepsAndBlockSquares) {
  buildTables();
  EXPECT_EQ(targetsOf(BLACK_HORSE, 0x33), (Targets{{0x45, 0x34}, {0x54, 0x43}}));
  EXPECT_EQ(targetsOf(BLACK_ELEPHANT, 0x35), (Targets{{0x57, 0x46}, {0x53, 0x44}}));
  // Pawns: forward only before the river, sideways after, never backward.
  EXPECT_EQ(targetsOf(BLACK_PAWN, 0x65), (Targets{{0x75, 0x75}}));
  EXPECT_EQ(targetsOf(BLACK_PAWN, 0x85), (Targets{{0x95, 0x95}, {0x84, 0x84}, {0x86, 0x86}}));
  EXPECT_EQ(targetsOf(RED_PAWN, 0x35), (Targets{{0x34, 0x34}, {0x36, 0x36}}));
  EXPECT_EQ(targetsOf(RED_PAWN, 0x3B), (Targets{{0x3A, 0x3A}}));
  // The red king in its palace corner; no list where a kind cannot stand.
  EXPECT_EQ(targetsOf(RED_KING, 0xC6), (Targets{{0xC7, 0xC7}, {0xB6, 0xB6}}));
  EXPECT_EQ(PieceTargets[RED_KING][0x36], nullptr);
  EXPECT_EQ(PieceTargets[BLACK_ELEPHANT][0x37], nullptr);
  EXPECT_EQ(PieceTargets[BLACK_PAWN][0x53], nullptr);
  EXPECT_TRUE(needsBlockTest[BLACK_HORSE] && needsBlockTest[BLACK_ELEPHANT]);
  EXPECT_FALSE(needsBlockTest[BLACK_ROOK] || needsBlockTest[RED_PAWN]);
  // A captured piece (square 0) has nothing to walk.
  for (int kind = 0; kind < PIECE_KIND_COUNT; ++kind)
    EXPECT_EQ(PieceTargets[kind][NO_SQUARE]->target, NO_SQUARE);
}

TEST(TargetLists, RookRaysChainToTheNextRay) {
  buildTables();
  // From the top-left corner: +1 (8 squares), then +16 (9); -1 and -16 empty.
  const TargetNode* list = PieceTargets[BLACK_ROOK][0x33];
  EXPECT_EQ(targetsOf(BLACK_ROOK, 0x33).size(), 17u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(list[i].next, &list[8]);
  for (int i = 8; i < 17; ++i) EXPECT_EQ(list[i].next, nullptr);
  EXPECT_EQ(list[8].target, 0x43);
}

TEST(LineMoves, RecordsOfARookAloneAndBetweenPieces) {
  buildTables();
  const int sq = 0x77;
  const LineMoveRecord& alone = RowMoves[sq][RowMask[sq]];
  EXPECT_EQ(alone.quietCount, 8);
  EXPECT_EQ(alone.rookCaptureLow.square, sq);
  EXPECT_EQ(alone.rookCaptureHigh.square, sq);
  EXPECT_EQ(alone.cannonCaptureLow.square, sq);
  EXPECT_EQ(alone.cannonCaptureHigh.square, sq);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(alone.quietMoves[i].from, sq);
    EXPECT_EQ(alone.quietMoves[i].score, -32767);
    if (i > 0) {
      EXPECT_LT(alone.quietMoves[i - 1].to, alone.quietMoves[i].to);
    }
  }
  // Pieces on ranks 4, 5 and 10 of the file: slides to rank 6, 8 and 9.
  const unsigned pattern = ColMask[0x47] | ColMask[0x57] | ColMask[sq] | ColMask[0xA7];
  const LineMoveRecord& col = ColMoves[sq][pattern];
  ASSERT_EQ(col.quietCount, 3);
  EXPECT_EQ(col.quietMoves[0].to, 0x67);
  EXPECT_EQ(col.quietMoves[2].to, 0x97);
  EXPECT_EQ(col.rookCaptureLow.move.to, 0x57);
  EXPECT_EQ(col.rookCaptureHigh.move.to, 0xA7);
  EXPECT_EQ(col.cannonCaptureLow.move.to, 0x47);
  EXPECT_EQ(col.cannonCaptureHigh.square, sq);  // nothing beyond rank 10
}

// Line values from a synthetic script; the tables are rebuilt around it.
TEST(LineMoves, LineValuesFollowTheScriptGrids) {
  buildTables();
  const EvalScript saved = evalScript;
  for (int s = 0; s < 256; ++s) {
    evalScript.grid2[s] = 1;
    evalScript.grid4[s] = 3;
  }
  evalScript.grid2[0x74] = 20, evalScript.grid2[0x79] = 10;    // black's view
  evalScript.grid2[0x84] = 200, evalScript.grid2[0x89] = 100;  // red's, mirrored
  evalScript.gridScale2[0] = 0.5f, evalScript.gridScale2[1] = 2.0f;
  evalScript.gridScale4[0] = 0.5f, evalScript.gridScale4[1] = 1.0f;
  buildMoveTables();

  // Rook on 0x77 between pieces on 0x74 and 0x79: three empty squares at
  // half weight, then each blocker added.
  const LineMoveRecord& row = RowMoves[0x77][RowMask[0x74] | RowMask[0x77] | RowMask[0x79]];
  EXPECT_EQ(row.rookValue[BLACK], 16);  // trunc(20*.5 + trunc(10*.5 + trunc(3*.5)))
  EXPECT_EQ(row.rookValue[RED], 151);   // trunc(200*.5 + trunc(100*.5 + 1))

  // Cannon on 0x73, screen 0x75, target 0x78: three squares counted.
  const LineMoveRecord& cannonRow = RowMoves[0x73][RowMask[0x73] | RowMask[0x75] | RowMask[0x78]];
  EXPECT_EQ(cannonRow.cannonValue[BLACK], 4);  // trunc(9 * 0.5)
  EXPECT_EQ(cannonRow.cannonValue[RED], 4);

  // Cannon on 0x77 with screens on ranks 5 and 9: towards black's back rank
  // two squares, towards red's three; each side counts the squares towards
  // its own back rank at half weight.
  const LineMoveRecord& col = ColMoves[0x77][ColMask[0x57] | ColMask[0x77] | ColMask[0x97]];
  EXPECT_EQ(col.cannonValue[BLACK], 11);  // 1 + 1 + 3 * 3
  EXPECT_EQ(col.cannonValue[RED], 9);     // 3 + 3, then 1 + 1 + 1

  evalScript = saved;
  buildMoveTables();
}

TEST(CaptureOrder, ExamplesOfTheTable) {
  buildTables();
  auto score = [](int mover, int victim, int to) {
    return captureOrderTable[captureOrderIndex(mover, victim, to)];
  };
  const int blackRook = ROOK_INDEX, blackCannon = CANNON_INDEX, blackPawn = PAWN_INDEX;
  const int blackHorse = HORSE_INDEX;
  const int red = 16;
  EXPECT_EQ(score(blackRook, red + ROOK_INDEX, 0x87), 504);
  EXPECT_EQ(score(blackCannon, red + HORSE_INDEX, 0x87), 264);
  EXPECT_EQ(score(blackRook, red + PAWN_INDEX, 0x93), -108);  // not yet across
  EXPECT_EQ(score(blackRook, red + PAWN_INDEX, 0x63), 60);    // across the river
  EXPECT_EQ(score(blackHorse, red + PAWN_INDEX, 0x63), 60);
  // Advisors in red's palace: back corner, centre, front corner.
  EXPECT_EQ(score(blackRook, red + ADVISOR_INDEX, 0xC6), 3);
  EXPECT_EQ(score(blackRook, red + ADVISOR_INDEX, 0xB7), 6);
  EXPECT_EQ(score(blackRook, red + ADVISOR_INDEX, 0xA8), 7);
  EXPECT_EQ(score(blackPawn, red + ADVISOR_INDEX, 0xA6), 101);
  EXPECT_EQ(score(blackHorse, red + ADVISOR_INDEX, 0xC8), -33);
  EXPECT_EQ(score(blackCannon, red + ADVISOR_INDEX, 0xA6), -48);
  EXPECT_EQ(score(blackRook, red + ADVISOR_INDEX, 0x87), 0);  // not an advisor point
  EXPECT_EQ(score(KING_INDEX, red + ADVISOR_INDEX, 0xB7), 0);
  // Elephants: back point, edge point, centre, river bank.
  EXPECT_EQ(score(blackHorse, red + ELEPHANT_INDEX, 0xC5), -33);
  EXPECT_EQ(score(blackRook, red + ELEPHANT_INDEX, 0xA3), -108);
  EXPECT_EQ(score(blackCannon, red + ELEPHANT_INDEX, 0xA7), 7);
  EXPECT_EQ(score(blackPawn, red + ELEPHANT_INDEX, 0x89), 61);
  EXPECT_EQ(score(blackPawn, red + ELEPHANT_INDEX, 0xC9), 45);
  EXPECT_EQ(score(blackRook, red + KING_INDEX, 0xB7), 4 * 1428 - 168);
  EXPECT_EQ(score(blackRook, red + ROOK_INDEX, 0x22), 0);  // off the board
  EXPECT_LT(score(blackRook, red + ADVISOR_INDEX, 0xA8), goodCaptureThreshold);
}

TEST(CaptureOrder, SidesAreRankMirrorImages) {
  buildTables();
  int differences = 0;
  for (int mover = 0; mover < 32; ++mover)
    for (int victim = 0; victim < 32; ++victim)
      for (int to = 0; to < 256; ++to)
        differences += captureOrderTable[captureOrderIndex(mover, victim, to)] !=
                       captureOrderTable[captureOrderIndex(mover ^ 16, victim ^ 16, flipRank(to))];
  EXPECT_EQ(differences, 0);
}

}  // namespace
}  // namespace movegentest
