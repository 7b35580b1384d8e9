// Random walks through many positions: after every make the incremental key,
// score and signature equal values computed from scratch, the check flags
// agree with a board-walking attack test, refused moves change nothing, and
// unwinding restores every field of the Board.
#include <cstring>

#include "board/fixture.h"

namespace {

using namespace boardtest;

struct RecordState {
  ZobristKey key;
  int32_t score;
  uint32_t signature;
  int32_t budget;
};

// Everything a make followed by an unmake must give back.
struct Snapshot {
  uint8_t squares[256];
  uint8_t pieceList[32];
  uint16_t bitRows[16], bitCols[16];
  uint8_t side;
  const PlyRecord* current;
  std::vector<RecordState> records;  // plyRecords[0] .. currentPly
  std::vector<PlyRecord> below;      // full records below currentPly
};

Snapshot snapshot(const Board& b) {
  Snapshot s;
  std::memcpy(s.squares, b.squares, sizeof s.squares);
  std::memcpy(s.pieceList, b.pieceList, sizeof s.pieceList);
  std::memcpy(s.bitRows, b.bitRows, sizeof s.bitRows);
  std::memcpy(s.bitCols, b.bitCols, sizeof s.bitCols);
  s.side = b.sideToMove;
  s.current = b.currentPly;
  for (const PlyRecord* r = b.plyRecords; r <= b.currentPly; ++r) {
    s.records.push_back({r->zobrist, r->incrementalScore, r->materialSignature,
                         r->captureExtensionBudget});
    if (r < b.currentPly) s.below.push_back(*r);
  }
  return s;
}

void expectSame(const Snapshot& s, const Board& b) {
  ASSERT_EQ(std::memcmp(s.squares, b.squares, sizeof s.squares), 0);
  ASSERT_EQ(std::memcmp(s.pieceList, b.pieceList, sizeof s.pieceList), 0);
  ASSERT_EQ(std::memcmp(s.bitRows, b.bitRows, sizeof s.bitRows), 0);
  ASSERT_EQ(std::memcmp(s.bitCols, b.bitCols, sizeof s.bitCols), 0);
  ASSERT_EQ(s.side, b.sideToMove);
  ASSERT_EQ(s.current, b.currentPly);
  for (size_t i = 0; i < s.records.size(); ++i) {
    const PlyRecord& r = b.plyRecords[i];
    ASSERT_EQ(s.records[i].key, r.zobrist) << i;
    ASSERT_EQ(s.records[i].score, r.incrementalScore) << i;
    ASSERT_EQ(s.records[i].signature, r.materialSignature) << i;
    ASSERT_EQ(s.records[i].budget, r.captureExtensionBudget) << i;
  }
  for (size_t i = 0; i < s.below.size(); ++i) {
    const PlyRecord& r = b.plyRecords[i];
    ASSERT_EQ(s.below[i].capturedCode, r.capturedCode) << i;
    ASSERT_EQ(s.below[i].givesCheck, r.givesCheck) << i;
    ASSERT_EQ(s.below[i].lastCaptureRecord, r.lastCaptureRecord) << i;
    ASSERT_TRUE(sameMove(s.below[i].move, r.move)) << i;
  }
}

// The position itself against from-scratch values and the attack walk.
void expectSound(Board& b) {
  ASSERT_TRUE(consistent(b)) << toFen(b);
  ASSERT_EQ(b.currentPly->zobrist, scratchKey(b)) << toFen(b);
  ASSERT_EQ(b.currentPly->incrementalScore, scratchScore(b)) << toFen(b);
  ASSERT_EQ(b.currentPly->materialSignature, scratchSignature(b)) << toFen(b);
  for (int s = 0; s < 2; ++s) {
    const std::vector<int> attackers = scratchAttackers(b, s);
    ASSERT_EQ(b.attacksKing(s), !attackers.empty()) << toFen(b) << " side " << s;
    int sq = -1;
    const int code = b.findKingAttacker(s, &sq);
    Move capture = moveFromTo(0x77, 0x77);
    const bool found = b.findKingCapture(s, &capture);
    if (attackers.empty()) {
      ASSERT_EQ(code, EMPTY);
      ASSERT_FALSE(found);
      ASSERT_EQ(capture.from, 0x77);  // untouched
    } else {
      ASSERT_NE(std::find(attackers.begin(), attackers.end(), sq), attackers.end());
      ASSERT_EQ(code, b.squares[sq]);
      ASSERT_TRUE(found);
      ASSERT_EQ(capture.from, sq);
      ASSERT_EQ(capture.to, b.kingSquare(otherSide(s)));
    }
  }
  // The flag of the previous record says whether the side to move is in check.
  ASSERT_EQ(b.inCheck(), !scratchAttackers(b, otherSide(b.sideToMove)).empty()) << toFen(b);
}

// Tries every candidate: refusals must leave the Board bit for bit as it was
// (the scratch movingPiece aside) and agree with leavesKingAttacked. A made
// and unmade move legitimately leaves its undo data in the records, so the
// reference copy is retaken after each.
std::vector<Move> legalMovesChecked(Board& b, Board& copy) {
  std::vector<Move> legal;
  bool retake = true;
  for (const Move& m : candidateMoves(b)) {
    if (retake) std::memcpy(static_cast<void*>(&copy), &b, sizeof(Board));
    retake = false;
    const bool leaves = b.leavesKingAttacked(m, b.sideToMove);
    copy.movingPiece = b.movingPiece;
    EXPECT_EQ(std::memcmp(&copy, &b, sizeof(Board)), 0) << "leavesKingAttacked changed the board";
    if (b.makeMove(m)) {
      EXPECT_TRUE(leaves);
      copy.movingPiece = b.movingPiece;
      EXPECT_EQ(std::memcmp(&copy, &b, sizeof(Board)), 0)
          << "refused " << int(m.from) << "-" << int(m.to) << " in " << toFen(b);
      continue;
    }
    EXPECT_FALSE(leaves);
    b.unmakeMove();
    legal.push_back(m);
    retake = true;
  }
  return legal;
}

void checkMadeMove(const Board& b, Move m, int piece, int captured, const RecordState& before) {
  const PlyRecord& cur = b.currentPly[-1];
  ASSERT_EQ(b.movingPiece, static_cast<uint32_t>(piece));
  ASSERT_TRUE(sameMove(cur.move, m));
  ASSERT_EQ(cur.capturedCode, captured);
  ASSERT_EQ(cur.givesCheck, !scratchAttackers(b, otherSide(b.sideToMove)).empty());
  if (captured != EMPTY) {
    ASSERT_EQ(cur.lastCaptureRecord, &cur);
    ASSERT_EQ(b.currentPly->captureExtensionBudget,
              std::min(before.budget + CaptureGain[PieceTypeOf[captured]], 80));
  } else {
    ASSERT_EQ(cur.lastCaptureRecord, b.currentPly[-2].lastCaptureRecord);
    ASSERT_EQ(b.currentPly->captureExtensionBudget, std::max(before.budget - 60, -50));
  }
}

void randomWalk(const char* fen, uint32_t seed, int length) {
  auto b = boardFromFen(fen);
  std::unique_ptr<Board> copy(new Board);
  std::mt19937 rng(seed);
  std::vector<Snapshot> stack;
  std::vector<bool> nullMade;
  for (int ply = 0; ply < length; ++ply) {
    ASSERT_NO_FATAL_FAILURE(expectSound(*b));
    const RecordState before{b->currentPly->zobrist, b->currentPly->incrementalScore,
                             b->currentPly->materialSignature,
                             b->currentPly->captureExtensionBudget};
    stack.push_back(snapshot(*b));
    if (!b->inCheck() && rng() % 8 == 0) {
      b->makeNullMove();
      nullMade.push_back(true);
      ASSERT_EQ(b->currentPly->zobrist, before.key ^ sideKey);
      ASSERT_EQ(b->currentPly->incrementalScore, -before.score);
      ASSERT_EQ(b->currentPly[-1].lastCaptureRecord, b->currentPly - 1);
      ASSERT_EQ(b->currentPly[-1].givesCheck, 0);
      continue;
    }
    const std::vector<Move> legal = legalMovesChecked(*b, *copy);
    if (legal.empty()) {
      stack.pop_back();
      break;
    }
    const Move m = legal[rng() % legal.size()];
    const int piece = b->squares[m.from], captured = b->squares[m.to];
    ASSERT_FALSE(b->makeMove(m));
    nullMade.push_back(false);
    ASSERT_NO_FATAL_FAILURE(checkMadeMove(*b, m, piece, captured, before));
  }
  while (!stack.empty()) {
    if (nullMade.back())
      b->unmakeNullMove();
    else
      b->unmakeMove();
    ASSERT_NO_FATAL_FAILURE(expectSame(stack.back(), *b)) << fen << " seed " << seed;
    stack.pop_back();
    nullMade.pop_back();
  }
  EXPECT_EQ(b->height(), 0);
}

const char* const WalkStarts[] = {
    START_FEN,
    "rnbakabnr/3c5/9/2c3p1p/p1p1p4/4C4/P1P1P1P1P/1R3AC2/9/1NB1KABNR b",
    "2bak1b2/4a1n1r/n8/4p1C1p/p8/9/2N1PCPcP/7NB/2r1A4/RcBAKR3 w",
    "2b1ka3/4a4/4b4/4N4/9/2C6/9/9/4A4/3AK4 b",
    "3k5/9/9/9/4c4/9/9/9/4A4/4K4 w",
    "4k4/9/9/9/9/9/9/4r4/4N4/3AK4 w",
    "3akab2/9/4b4/9/9/9/9/3n5/4C4/4K4 w",
    "2n3bC1/8n/4k4/2p6/2b1Pr2p/P5B2/2P4NP/2N5R/9/RrBcKA3 w",
};

TEST(MakeMove, RandomWalksKeepEveryInvariantAndUnwindExactly) {
  uint32_t seed = 1;
  for (const char* fen : WalkStarts)
    for (int game = 0; game < 6; ++game) {
      SCOPED_TRACE(fen);
      randomWalk(fen, seed++, 160);
      if (HasFatalFailure()) return;
    }
}

// A refused move leaves the Board bit for bit as it was (movingPiece aside).
void expectRefused(const char* fen, Move m) {
  auto b = boardFromFen(fen);
  std::unique_ptr<Board> copy(new Board);
  std::memcpy(static_cast<void*>(copy.get()), b.get(), sizeof(Board));
  EXPECT_TRUE(b->makeMove(m)) << fen;
  copy->movingPiece = b->movingPiece;
  EXPECT_EQ(std::memcmp(copy.get(), b.get(), sizeof(Board)), 0) << fen;
}

TEST(MakeMove, MovesOpeningTheKingsFileAreRefused) {
  // The king stepping onto the open d-file would face the black king.
  expectRefused("3k5/9/9/9/9/9/9/9/4A4/4K4 w", moveFromTo(squareAt(4, 9), squareAt(3, 9)));
  // The advisor is the only piece between the kings.
  expectRefused("4k4/9/9/9/9/9/9/9/4A4/4K4 w", moveFromTo(squareAt(4, 8), squareAt(3, 7)));
  // A capture that exposes the king: the rook takes on b, opening the file to
  // the black rook.
  expectRefused("3k5/9/9/9/9/4r4/9/9/1p2R4/4K4 w", moveFromTo(squareAt(4, 8), squareAt(1, 8)));
}

}  // namespace
