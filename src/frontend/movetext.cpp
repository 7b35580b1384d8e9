#include "frontend/movetext.h"

#include <cstdio>
#include <cstring>

#include "board/board.h"
#include "frontend/output.h"

namespace {

// One square from a file letter and a rank digit; NO_SQUARE when either is
// out of range.
int squareOfText(char fileChar, char rankChar) {
  if (fileChar < 'a' || fileChar > 'i' || rankChar < '0' || rankChar > '9') return NO_SQUARE;
  return makeSquare(RANK_BOTTOM - (rankChar - '0'), FILE_LEFT + (fileChar - 'a'));
}

void squareToText(int sq, char* out) {
  out[0] = static_cast<char>('a' + fileOf(sq) - FILE_LEFT);
  out[1] = static_cast<char>('0' + RANK_BOTTOM - rankOf(sq));
}

}  // namespace

Move textToMove(const char* text) {
  if (text[0] == '\0' || text[1] == '\0') return NULL_MOVE;
  const int from = squareOfText(text[0], text[1]);
  if (from == NO_SQUARE || text[2] == '\0' || text[3] == '\0') return NULL_MOVE;
  const int to = squareOfText(text[2], text[3]);
  if (to == NO_SQUARE || to == from) return NULL_MOVE;
  return moveFromTo(from, to);
}

void moveToText(Move m, char out[5]) {
  if (isNullMove(m)) {
    std::memcpy(out, "NONO", 5);
    return;
  }
  squareToText(m.from, out);
  squareToText(m.to, out + 2);
  out[4] = '\0';
}

void printInfoLine(const Board& board, int depth, int score) {
  const PvRecord& pv = board.pvLines[0];
  char moves[PV_TEXT_SIZE];
  size_t length = 0;
  for (int i = 0; i < pv.count; ++i) {
    moves[length++] = ' ';
    moveToText(pv.moves[i], moves + length);
    length += 4;
  }
  moves[length] = '\0';
  sendLine("info depth %d score %d pv%s", depth, score, moves);
}

void formatPvText(char* out, const PvRecord& pv) {
  size_t length = 0;
  out[0] = '\0';
  for (int i = 0; i < pv.count; ++i) {
    moveToText(pv.moves[i], out + length);
    length += 4;
    if (i == 0)
      length += static_cast<size_t>(
          std::snprintf(out + length, PV_TEXT_SIZE - length, "(%d) ", pv.rootIndex));
    else
      out[length++] = ' ';
    out[length] = '\0';
  }
}
