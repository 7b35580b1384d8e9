// Static square, piece and line tables, and a freshly constructed Board.
#include "board/fixture.h"

namespace {

using namespace boardtest;

TEST(SquareTables, PlayingAreaNumberingAndPieceCodes) {
  buildTables();
  EXPECT_EQ(Square90[0x33], 0);
  EXPECT_EQ(Square90[0x3B], 8);
  EXPECT_EQ(Square90[0x43], 9);
  EXPECT_EQ(Square90[0xCB], 89);
  int playing = 0;
  for (int sq = 0; sq < 256; ++sq) playing += InBoard[sq];
  EXPECT_EQ(playing, 90);
  EXPECT_FALSE(InBoard[NO_SQUARE]);

  EXPECT_EQ(PieceTypeOf[EMPTY], 14);
  EXPECT_EQ(PieceKindOf[EMPTY], 14);
  EXPECT_EQ(PieceTypeOf[16], KING);
  EXPECT_EQ(PieceKindOf[16], 7);
  for (int c = 0; c < 32; ++c) {
    EXPECT_EQ(PieceTypeOf[c], PieceKindOf[c] % 7) << c;
    EXPECT_EQ(PieceKindOf[c] / 7, sideOfCode(c)) << c;
  }
  EXPECT_EQ(PieceTypeOf[9], CANNON);
  EXPECT_EQ(PieceTypeOf[31], PAWN);

  for (int side = 0; side < 2; ++side) {
    int n = 0;
    for (int sq = 0; sq < 256; ++sq) {
      n += PalaceMask[side][sq];
      EXPECT_EQ(PalaceMask[RED][sq], PalaceMask[BLACK][sq ^ 0xF0]);
    }
    EXPECT_EQ(n, 9);
  }
  EXPECT_TRUE(PalaceMask[BLACK][0x37]);
  EXPECT_TRUE(PalaceMask[RED][0xC7]);
  EXPECT_TRUE(SameLine[0x33 * 256 + 0x3B]);
  EXPECT_TRUE(SameLine[0x33 * 256 + 0xC3]);
  EXPECT_TRUE(SameLine[0x55 * 256 + 0x55]);
  EXPECT_FALSE(SameLine[0x33 * 256 + 0x44]);
  EXPECT_FALSE(SameLine[0x32 * 256 + 0x33]);  // off-board partner
}

TEST(SquareTables, HorseLegCoversEveryDifferenceOfTwoPlayingSquares) {
  buildTables();
  int steps = 0;
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      if (!InBoard[a] || !InBoard[b]) continue;
      const int d = a - b;  // king square minus horse square
      const int dr = rankOf(a) - rankOf(b), df = fileOf(a) - fileOf(b);
      int leg = 0;
      if (std::abs(dr) == 2 && std::abs(df) == 1) leg = dr > 0 ? 16 : -16;
      if (std::abs(dr) == 1 && std::abs(df) == 2) leg = df > 0 ? 1 : -1;
      ASSERT_EQ(HorseLeg[d], leg) << "difference " << d;
      steps += leg != 0;
    }
  EXPECT_GT(steps, 0);
  EXPECT_EQ(HorseLeg[-33], -16);
  EXPECT_EQ(HorseLeg[-18], -1);
  EXPECT_EQ(HorseLeg[14], -1);
  EXPECT_EQ(HorseLeg[31], 16);
  EXPECT_EQ(HorseLeg[0], 0);
  EXPECT_EQ(HorseLeg[34], 0);
}

TEST(SquareTables, FreshBoardFramesThePlayingArea) {
  auto b = newBoard();
  int off = 0;
  for (int sq = 0; sq < 256; ++sq) {
    if (InBoard[sq])
      EXPECT_EQ(b->squares[sq], EMPTY);
    else
      off += b->squares[sq] == OFF_BOARD;
  }
  EXPECT_EQ(off, 166);
  const PlyRecord& before = b->plyBase[-1];
  EXPECT_EQ(before.lastCaptureRecord, &before);
  EXPECT_TRUE(isNullMove(before.move));
  EXPECT_EQ(before.capturedCode, EMPTY);
  EXPECT_EQ(b->plyBase, b->plyRecords + SENTINEL_RECORDS);
  for (int i = 0; i < SENTINEL_RECORDS; ++i) {
    EXPECT_EQ(b->plyRecords[i].lastCaptureRecord, &b->plyRecords[i]);
    EXPECT_EQ(b->plyRecords[i].zobrist, 0u);
  }
}

TEST(LineTables, RowEntries) {
  buildTables();
  const LineEntry& e = RowLines[7][0];
  EXPECT_EQ(e.lastEmptyHigh, 11);
  EXPECT_EQ(e.lastEmptyLow, 3);
  for (int f : {e.firstHigh, e.firstLow, e.secondHigh, e.secondLow, e.thirdHigh, e.thirdLow})
    EXPECT_EQ(f, 7);
  EXPECT_EQ(e.emptySpan, 7);
  EXPECT_EQ(e.span, 7);
  EXPECT_EQ(RowLineMasks[7][0].emptyMask, 0x1EF);
  EXPECT_EQ(RowLineMasks[7][0].firstMask, 0);
  EXPECT_EQ(RowLineMasks[7][0].secondMask, 0);
  // The piece's own bit is not looked at.
  EXPECT_EQ(std::memcmp(&RowLines[7][0], &RowLines[7][1 << 4], sizeof(LineEntry)), 0);

  // Pieces on files 5 and 9 around a piece on file 7.
  const unsigned pattern = (1u << 2) | (1u << 6);
  const LineEntry& g = RowLines[7][pattern];
  const LineMaskEntry& gm = RowLineMasks[7][pattern];
  EXPECT_EQ(g.lastEmptyHigh, 8);
  EXPECT_EQ(g.firstHigh, 9);
  EXPECT_EQ(g.lastEmptyLow, 6);
  EXPECT_EQ(g.firstLow, 5);
  for (int f : {g.secondHigh, g.secondLow, g.thirdHigh, g.thirdLow}) EXPECT_EQ(f, 7);
  EXPECT_EQ(g.emptySpan, 1);
  EXPECT_EQ(g.span, 1);
  EXPECT_EQ(gm.emptyMask, (1u << 3) | (1u << 5));
  EXPECT_EQ(gm.firstMask, (1u << 2) | (1u << 6));

  // Four pieces to the right of file 3: first, second and third, the fourth
  // unseen; the span counts from the second piece back to the edge.
  const LineEntry& h = RowLines[3][0x1E];
  EXPECT_EQ(h.firstHigh, 4);
  EXPECT_EQ(h.secondHigh, 5);
  EXPECT_EQ(h.thirdHigh, 6);
  EXPECT_EQ(h.lastEmptyHigh, 3);
  EXPECT_EQ(h.emptySpan, -1);
  EXPECT_EQ(h.span, 1);
  EXPECT_EQ(RowLineMasks[3][0x1E].thirdMask, 1u << 3);
}

TEST(LineTables, ColumnEntries) {
  buildTables();
  for (unsigned b = 0; b < 1024; ++b) {
    const LineEntry& top = ColLines[3][b];
    ASSERT_EQ(top.lastEmptyLow, 0x30);
    ASSERT_EQ(top.firstLow, 0x30);
    ASSERT_EQ(top.secondLow, 0x30);
    ASSERT_EQ(top.thirdLow, 0x30);
  }
  // One other piece, below: rank 9 seen from rank 5.
  const LineEntry& e = ColLines[5][1u << 6];
  EXPECT_EQ(e.firstHigh, 0x90);
  EXPECT_EQ(e.lastEmptyHigh, 0x80);
  EXPECT_EQ(e.lastEmptyLow, 0x30);
  for (int f : {e.secondHigh, e.thirdHigh, e.firstLow, e.secondLow, e.thirdLow}) EXPECT_EQ(f, 0x50);
  EXPECT_EQ(e.emptySpan, 4);  // five ranks from 0x30 to 0x80, minus one
  EXPECT_EQ(ColLineMasks[5][1u << 6].emptyMask, 0x3Bu);
  EXPECT_EQ(ColLineMasks[12][0].emptyMask, 0x1FFu);
  EXPECT_EQ(ColLines[12][0].lastEmptyHigh, 0xC0);

  for (int sq = 0; sq < 256; ++sq) {
    if (!InBoard[sq]) {
      EXPECT_EQ(RowMask[sq] | ColMask[sq], 0);
      continue;
    }
    EXPECT_EQ(RowMask[sq], 1u << (fileOf(sq) - 3));
    EXPECT_EQ(ColMask[sq], 1u << (rankOf(sq) - 3));
  }
}

}  // namespace
