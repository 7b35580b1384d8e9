// Pseudo-legal move generation. A pseudo-legal move obeys its piece's
// movement rules but may leave the mover's king attacked; makeMove refuses
// those.
//
// Every generator appends at the buffer it is given and returns the number
// of Moves written; it never checks capacity. Scores of generated Moves are
// unspecified until the consumer scores them. The orders below are relied
// on by the search's move ordering.
#pragma once

#include "board/board.h"
#include "types.h"

// Room for every pseudo-legal move of one side. The most a piece can have:
// king 4, advisor 4, elephant 4, horse 8, rook 17 (8 along a rank, 9 along a
// file), cannon 17, pawn 3. A side has at most 1 king, 2 advisors,
// 2 elephants, 2 horses, 2 rooks, 2 cannons and 5 pawns (the position
// set-up refuses more), so 4 + 8 + 8 + 16 + 34 + 34 + 15 = 119 moves.
// Evasions and quiet checks are lists of distinct pseudo-legal moves of one
// side and fit as well.
constexpr int MAX_MOVES = 128;

// Selects moves in the square-wise generators.
enum MoveKindMask : int {
  MASK_RANK = 1,          // sideways king/pawn steps, rook moves, cannon slides
  MASK_FILE = 2,          // king/pawn steps along the file, rook, cannon slides
  MASK_HORSE = 4,
  MASK_GUARD = 8,         // advisors and elephants
  MASK_CANNON_RANK = 16,  // cannon captures along the rank
  MASK_CANNON_FILE = 32,  // cannon captures along the file
  MASK_ALL = 63,
};

// 1 on the five advisor points, 2 on the seven elephant points of black's
// half; red reads it at square ^ 0xF0.
extern const uint8_t GuardPoints[256];
constexpr uint8_t ADVISOR_POINT = 1, ELEPHANT_POINT = 2;
inline int guardPointOf(int side, int sq) {
  return GuardPoints[side == BLACK ? sq : flipRank(sq)];
}

// A move is quiet when its destination is empty.
inline bool isQuiet(const Board& board, Move m) { return board.squares[m.to] == EMPTY; }

// Side-wide generators: pieces in ascending index order (king first, pawns
// last). Rooks and cannons: file captures (forward first for captures only,
// towards higher ranks first otherwise), file slides, rank captures (lower
// file first), rank slides.
int generateCaptures(const Board& board, int side, Move* buffer);
int generateQuiets(const Board& board, int side, Move* buffer);
int generateAllMoves(const Board& board, int side, Move* buffer);
// The same set as generateAllMoves, rooks and cannons rank first.
int countMoves(const Board& board, int side, Move* buffer);

// Moves of the piece on `square` selected by mask; an empty square gives 0.
int generateMovesFrom(const Board& board, int square, Move* buffer, int mask);
// As generateMovesFrom, without a king's capture onto `excluded`.
int generateMovesFromExcept(const Board& board, int square, Move* buffer, int mask,
                            int excluded);
// Non-captures of the piece on `square` selected by mask.
int generateQuietsFrom(const Board& board, int square, Move* buffer, int mask);
// Moves of side's pieces that end on `target` (empty or holding an enemy
// piece). A cannon-capture bit is only used together with the line bit of
// the same direction.
int generateMovesTo(const Board& board, int target, int side, Move* buffer, int mask);

// Checks a stored move (hash move, killer) against the current position
// without generating anything. Squares are taken as given: it admits an
// elephant step across the river, and callers holding text from outside
// must check that both squares are playing squares.
bool isPseudoLegal(const Board& board, int side, Move m);

// A table move as the move picker takes it: the move when the side to move
// can play it, a null move when not (a false key match) or when there is none.
inline Move checkedTableMove(const Board& board, Move m) {
  return isNullMove(m) || isPseudoLegal(board, board.sideToMove, m) ? m : NULL_MOVE;
}

// True when every pseudo-legal move of side leaves its king attacked.
bool hasNoLegalMove(Board& board, int side);

// Root moves the front end forbids ("banmoves"), until the next position.
constexpr int MAX_BANNED_MOVES = 128;
extern Move bannedMoves[MAX_BANNED_MOVES];
extern int bannedMoveCount;
inline bool isBannedMove(Move m) {
  for (int i = 0; i < bannedMoveCount; ++i)
    if (sameMove(bannedMoves[i], m)) return true;
  return false;
}
