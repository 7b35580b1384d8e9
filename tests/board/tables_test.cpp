#include <gtest/gtest.h>

#include "board/lines.h"
#include "board/tables.h"
#include "board/zobrist.h"

TEST(Zobrist, FirstKeysFollowTheMinimalStandardGenerator) {
  buildPieceTables();
  initZobrist();
  EXPECT_EQ(keyLow(zobristKind[0][0x33]), 0x10D63AF1u);
  EXPECT_EQ(keyHigh(zobristKind[0][0x33]), 0x41A7u);
  EXPECT_EQ(keyLow(zobristKind[0][0x34]), 984943658u);
  EXPECT_EQ(keyHigh(zobristKind[0][0x34]), 1622650073u);
}
