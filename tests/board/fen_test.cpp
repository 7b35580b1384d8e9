// Position set-up from FEN text: the scanning rules, the side field, the
// positions refused, and arbitrary text that must never do harm.
#include <string>

#include "board/fixture.h"

namespace {

using namespace boardtest;

::testing::AssertionResult isEmptyBoard(const Board& b) {
  for (int sq = 0; sq < 256; ++sq)
    if (InBoard[sq] && b.squares[sq] != EMPTY) return ::testing::AssertionFailure() << "piece on " << sq;
  for (int i = 0; i < 32; ++i)
    if (b.pieceList[i] != NO_SQUARE) return ::testing::AssertionFailure() << "piece " << i;
  for (int i = 0; i < 16; ++i)
    if (b.bitRows[i] || b.bitCols[i]) return ::testing::AssertionFailure() << "bits " << i;
  const PlyRecord& base = *b.plyBase;
  if (base.zobrist || base.incrementalScore || base.materialSignature || b.currentPly != b.plyBase)
    return ::testing::AssertionFailure() << "base record not cleared";
  return ::testing::AssertionSuccess();
}

TEST(Fen, StartPosition) {
  auto b = boardFromFen(START_FEN);
  EXPECT_EQ(b->sideToMove, RED);
  EXPECT_EQ(b->currentPly->materialSignature, 0xFFFFFFFFu);
  EXPECT_EQ(b->currentPly->zobrist, scratchKey(*b));
  EXPECT_EQ(b->currentPly->incrementalScore, scratchScore(*b));
  EXPECT_TRUE(consistent(*b));
  EXPECT_EQ(b->squares[squareAt(4, 9)], 16);   // red king
  EXPECT_EQ(b->squares[squareAt(0, 0)], 7);    // first black rook
  EXPECT_EQ(b->squares[squareAt(8, 6)], 31);   // last red pawn
  EXPECT_EQ(b->squares[squareAt(7, 2)], 10);   // second black cannon
  EXPECT_EQ(toFen(*b) + " - - 0 1", START_FEN);

  auto black = boardFromFen("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR b - - 0 1");
  EXPECT_EQ(black->sideToMove, BLACK);
  EXPECT_EQ(black->currentPly->zobrist, b->currentPly->zobrist ^ sideKey);
  EXPECT_EQ(black->currentPly->incrementalScore, -b->currentPly->incrementalScore);
}

TEST(Fen, SideFieldAndTrailingText) {
  const std::string board = "3k5/9/9/9/9/9/9/9/4A4/4K4";
  const ZobristKey redKey = boardFromFen((board + " w").c_str())->currentPly->zobrist;
  for (const char* side : {" w", " r", " w - - 0 1", " w moves e1d2", " wxyz"}) {
    auto b = boardFromFen((board + side).c_str());
    EXPECT_EQ(b->sideToMove, RED) << side;
    EXPECT_EQ(b->currentPly->zobrist, redKey) << side;
  }
  for (const char* side : {" b", " x", " B", " W", " ", ""}) {
    auto b = boardFromFen((board + side).c_str());
    EXPECT_EQ(b->sideToMove, BLACK) << "'" << side << "'";
    EXPECT_EQ(b->currentPly->zobrist, redKey ^ sideKey) << side;
  }
}

TEST(Fen, DigitsAndSurplusLettersOnARank) {
  // "9" then a letter: the rook lands on the last file, not a tenth one.
  auto b = boardFromFen("3k5/9/9/9/9/9/9/9/9R/4K4 w");
  EXPECT_EQ(b->squares[squareAt(8, 8)], 23);
  // "8RR": one rook on the last file, the second ignored without using up
  // an index, so the next rook still gets the second slot.
  b = boardFromFen("3k5/9/9/9/9/9/9/9/8RR/R3K4 w");
  EXPECT_EQ(b->squares[squareAt(8, 8)], 23);
  EXPECT_EQ(b->squares[squareAt(0, 9)], 24);
  EXPECT_TRUE(consistent(*b));
  // A digit clamped at the last file points back at an occupied square:
  // the later letter is dropped, never stacked on the first piece.
  b = boardFromFen("3k5/9/WWWWWWWWWW1c5c1/9/9/9/9/9/8R1R/4K4 w");
  EXPECT_EQ(b->squares[squareAt(8, 2)], CANNON_INDEX);
  EXPECT_EQ(b->pieceList[CANNON_INDEX + 1], NO_SQUARE);
  EXPECT_EQ(b->squares[squareAt(8, 8)], 23);
  EXPECT_EQ(b->pieceList[24], NO_SQUARE);
  EXPECT_TRUE(consistent(*b));
  // Unknown letters leave a gap, other characters are skipped.
  b = boardFromFen("3k5/9/9/9/9/9/9/9/xR7/4K4 w");
  EXPECT_EQ(b->squares[squareAt(1, 8)], 23);
  b = boardFromFen("3k5/9/9/9/9/9/9/9/#R!8/4K4 w");
  EXPECT_EQ(b->squares[squareAt(0, 8)], 23);
  // "E" and "H" are elephant and horse letters too.
  b = boardFromFen("2e1k4/9/h8/9/9/9/9/9/9/2E2KH2 w");
  EXPECT_EQ(b->squares[squareAt(2, 0)], ELEPHANT_INDEX);
  EXPECT_EQ(b->squares[squareAt(0, 2)], HORSE_INDEX);
  EXPECT_EQ(b->squares[squareAt(2, 9)], 16 + ELEPHANT_INDEX);
  EXPECT_EQ(b->squares[squareAt(6, 9)], 16 + HORSE_INDEX);
}

TEST(Fen, SurplusPiecesRunIntoTheNextSlots) {
  // A third red rook takes the first cannon slot and is a cannon from then on.
  auto b = boardFromFen("3k5/9/9/9/9/9/9/R7R/9/R3K4 w");
  EXPECT_EQ(b->squares[squareAt(0, 9)], 25);
  EXPECT_EQ(PieceTypeOf[25], CANNON);
  EXPECT_EQ(b->currentPly->zobrist, scratchKey(*b));
  // With that slot already taken by a cannon, the third rook is dropped.
  b = boardFromFen("3k5/9/9/9/9/9/C8/R7R/9/R3K4 w");
  EXPECT_EQ(b->squares[squareAt(0, 6)], 25);
  EXPECT_EQ(b->squares[squareAt(0, 9)], EMPTY);
  EXPECT_TRUE(consistent(*b));
  // The same for black, and a sixth pawn has no slot at all.
  b = boardFromFen("r3k3r/9/r8/9/9/9/9/9/9/3K5 w");
  EXPECT_EQ(b->squares[squareAt(0, 2)], 9);
  b = boardFromFen("3k5/9/9/PPPPPP3/9/9/9/9/9/4K4 w");
  EXPECT_EQ(b->squares[squareAt(4, 3)], 31);
  EXPECT_EQ(b->squares[squareAt(5, 3)], EMPTY);
  EXPECT_EQ(__builtin_popcount(b->currentPly->materialSignature), 7);
}

TEST(Fen, ImpossiblePositionsAreRefusedAndLeaveTheBoardEmpty) {
  const struct {
    const char* fen;
    FenStatus status;
  } cases[] = {
      {"9/9/9/9/9/9/9/9/9/4K4 w", FenStatus::MissingKing},
      {"4k4/9/9/9/9/9/9/9/9/9 w", FenStatus::MissingKing},
      {"3k5/9/9/9/9/9/9/9/9/K8 w", FenStatus::BadSquare},        // king off the palace
      {"3k5/9/9/9/9/9/9/9/9/5K3 w", FenStatus::Ok},
      {"3k5/9/9/4K4/9/9/9/9/9/9 w", FenStatus::BadSquare},       // red king in black's palace
      {"3k5/9/9/9/9/9/9/9/9/4AK3 w", FenStatus::BadSquare},      // advisor between its points
      {"3k5/9/9/9/9/9/9/9/9/3AK4 w", FenStatus::Ok},
      {"3k5/9/9/9/9/9/9/9/9/1B2K4 w", FenStatus::BadSquare},     // elephant off its points
      {"3k5/9/9/9/B8/9/9/9/9/4K4 w", FenStatus::BadSquare},      // elephant across the river
      {"3k5/9/9/9/9/2B6/9/9/9/4K4 w", FenStatus::Ok},
      {"3k5/9/9/9/9/9/9/P8/9/4K4 w", FenStatus::BadSquare},      // pawn behind its start
      {"3k5/9/9/9/9/9/P8/9/9/4K4 w", FenStatus::Ok},
      {"3k5/p8/9/9/9/9/9/9/9/4K4 w", FenStatus::BadSquare},
      {"3k5/9/9/p8/9/9/9/9/9/4K4 w", FenStatus::Ok},
      {"3k1a3/9/9/9/9/9/9/9/9/4K4 w", FenStatus::Ok},
      {"3ka4/9/9/9/9/9/9/9/9/4K4 w", FenStatus::BadSquare},
      {" w", FenStatus::MissingKing},
      {"", FenStatus::Empty},
  };
  for (const auto& c : cases) {
    auto b = newBoard();
    ASSERT_EQ(b->setFen(START_FEN), FenStatus::Ok);
    ASSERT_FALSE(b->makeMove(moveFromTo(squareAt(1, 7), squareAt(4, 7))));
    EXPECT_EQ(b->setFen(c.fen), c.status) << c.fen;
    if (c.status == FenStatus::Ok) {
      EXPECT_TRUE(consistent(*b)) << c.fen;
      EXPECT_EQ(b->height(), 0);
    } else {
      EXPECT_TRUE(isEmptyBoard(*b)) << c.fen;
    }
  }
  EXPECT_EQ(newBoard()->setFen(nullptr), FenStatus::Empty);
}

// Whatever the text, set-up ends in a sound position or an empty board.
void expectHarmless(Board& b, const std::string& text) {
  const FenStatus s = b.setFen(text.c_str());
  if (s != FenStatus::Ok) {
    ASSERT_TRUE(isEmptyBoard(b)) << text;
    return;
  }
  ASSERT_TRUE(consistent(b)) << text;
  ASSERT_EQ(b.currentPly->zobrist, scratchKey(b)) << text;
  ASSERT_EQ(b.currentPly->incrementalScore, scratchScore(b)) << text;
  ASSERT_EQ(b.currentPly->materialSignature, scratchSignature(b)) << text;
  for (int i = 0; i < 32; ++i) {
    if (b.pieceList[i] != NO_SQUARE) {
      ASSERT_TRUE(squareAllowedFor(i, b.pieceList[i])) << text;
    }
  }
}

TEST(Fen, ArbitraryTextNeverDoesHarm) {
  auto b = newBoard();
  std::mt19937 rng(99);
  const std::string alphabet = "kabnrcpehKABNRCPEH0123456789/ -wrbx";
  for (int trial = 0; trial < 4000; ++trial) {
    std::string text;
    const int len = static_cast<int>(rng() % 120);
    for (int i = 0; i < len; ++i) {
      const bool anyByte = trial % 2 == 0;
      char c = anyByte ? static_cast<char>(rng() % 255 + 1) : alphabet[rng() % alphabet.size()];
      text += c;
    }
    ASSERT_NO_FATAL_FAILURE(expectHarmless(*b, text));
  }
  // Very long texts.
  std::string slashes(1 << 20, '/');
  std::string digits(1 << 20, '9');
  std::string letters;
  for (int i = 0; i < (1 << 20); ++i) letters += "rnbakcpRNBAKCP"[i % 14];
  for (const std::string* t : {&slashes, &digits, &letters}) {
    ASSERT_NO_FATAL_FAILURE(expectHarmless(*b, *t));
    ASSERT_NO_FATAL_FAILURE(expectHarmless(*b, "4k4/9/9/9/9/9/9/9/9/3K5 " + *t));
    ASSERT_NO_FATAL_FAILURE(expectHarmless(*b, *t + " w"));
  }
  // Many ranks: the field ends at the tenth "/".
  auto many = boardFromFen("3k5/9/9/9/9/9/9/9/9/4K4/R8/R8/R8 w");
  EXPECT_EQ(many->pieceList[23], NO_SQUARE);
  EXPECT_EQ(many->sideToMove, RED);
}

}  // namespace
