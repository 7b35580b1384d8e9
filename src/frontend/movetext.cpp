#include "frontend/movetext.h"

#include <cstring>


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
