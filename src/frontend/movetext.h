// Four-character move text ("h2e2": file letter and rank digit of the from-
// and to-square, rank 0 being red's back rank) and the lines that show the
// search's best line.
#pragma once

#include <cstddef>

#include "types.h"

struct Board;

// Room for the text of a full variation with its root-index note.
constexpr size_t PV_TEXT_SIZE = MAX_PLY * 5 + 16;

// Converts the first four characters of text. Anything but four characters
// a-i / 0-9 naming two different squares gives the null move; the reading
// stops at the first bad character, so a shorter text is safe.
Move textToMove(const char* text);
// Writes four characters and a terminator; the null move reads "NONO".
void moveToText(Move m, char out[5]);
// "info depth D score S pv m1 m2 ..." from the board's ply-0 line.
void printInfoLine(const Board& board, int depth, int score);
// "m1(rootIndex) m2 m3 ": out must hold PV_TEXT_SIZE characters.
void formatPvText(char* out, const PvRecord& pv);
