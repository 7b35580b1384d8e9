#include "frontend/position.h"

#include <cstring>

#include "board/board.h"
#include "board/tables.h"
#include "frontend/movetext.h"
#include "frontend/words.h"
#include "movegen/movegen.h"
#include "search/searchstate.h"

int replayedMoveCount = 0;

namespace {

constexpr size_t MOVE_TEXT_LENGTH = 4;

}  // namespace

bool setUpPosition(Board& board, const char* fen) {
  replayedMoveCount = 0;
  const FenStatus status = board.setFen(fen);
  rootSide = board.sideToMove;
  // A side to move that could take the other king means the other side
  // moved into check: no game reaches that.
  return status == FenStatus::Ok && !board.attacksKing(board.sideToMove);
}

bool isReplayableMove(const Board& board, Move m) {
  if (isNullMove(m) || !InBoard[m.from] || !InBoard[m.to]) return false;
  const int piece = board.squares[m.from];
  if (piece >= EMPTY || sideOfCode(piece) != board.sideToMove) return false;
  const int target = board.squares[m.to];
  if (target < EMPTY && PieceTypeOf[target] == KING) return false;
  // Palace, elephant points of its own half and pawn rows.
  if (!squareAllowedFor(piece, m.to)) return false;
  return isPseudoLegal(board, board.sideToMove, m);
}

int replayMoves(Board& board, const char* moves) {
  int made = 0;
  for (const char* p = skipBlanks(moves); *p != '\0'; p = skipBlanks(p)) {
    const char* end = wordEnd(p);
    if (static_cast<size_t>(end - p) != MOVE_TEXT_LENGTH) break;
    const Move m = textToMove(p);
    if (!isReplayableMove(board, m)) break;
    if (board.height() >= GAME_RECORD_LIMIT) board.trimHistory(GAME_RECORDS_KEPT);
    if (board.makeMove(m)) break;
    ++made;
    p = end;
  }
  return made;
}

void serveBanMoves(const char* line) {
  bannedMoveCount = 0;
  const char* p = skipBlanks(wordEnd(skipBlanks(line)));  // behind "banmoves"
  for (; *p != '\0' && bannedMoveCount < MAX_BANNED_MOVES; p = skipBlanks(p)) {
    const char* end = wordEnd(p);
    if (static_cast<size_t>(end - p) != MOVE_TEXT_LENGTH) break;
    const Move m = textToMove(p);
    if (isNullMove(m) || !InBoard[m.from] || !InBoard[m.to]) break;
    bannedMoves[bannedMoveCount++] = m;
    p = end;
  }
}

bool servePosition(Board& board, const char* line, bool valid) {
  // Moves banned for the last position say nothing about the next.
  bannedMoveCount = 0;
  const char* p = skipBlanks(line);
  p = skipBlanks(wordEnd(p));  // behind "position"
  const char* end = wordEnd(p);
  const char* rest;
  if (wordIs(p, end, "fen")) {
    rest = skipBlanks(end);
    valid = setUpPosition(board, rest);
  } else if (wordIs(p, end, "startpos")) {
    rest = end;
    valid = setUpPosition(board, START_FEN);
  } else {
    return valid;
  }
  const char* moves = findWord(rest, "moves");
  if (valid && moves != nullptr) replayedMoveCount = replayMoves(board, moves);
  rootSide = board.sideToMove;
  return valid;
}
