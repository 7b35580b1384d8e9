// Four-character move text ("h2e2": file letter and rank digit of the from-
// and to-square, rank 0 being red's back rank).
#pragma once

#include "types.h"

// Converts the first four characters of text. Anything but four characters
// a-i / 0-9 naming two different squares gives the null move; the reading
// stops at the first bad character, so a shorter text is safe.
Move textToMove(const char* text);
// Writes four characters and a terminator; the null move reads "NONO".
void moveToText(Move m, char out[5]);
