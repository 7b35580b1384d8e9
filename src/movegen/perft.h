// `tolvane perft DEPTH [FEN]`: counts the legal move paths of a position.
#pragma once

#include <cstdint>

struct Board;

// Builds the tables it needs, prints one "<move>: <count>" line per legal
// root move and a final "nodes N time MS nps N" line; returns the process
// exit code (1, with a message on stderr, for a bad FEN or depth).
int runPerft(int depth, const char* fen);

// The number of legal move paths of `depth` plies from the board's position
// (1 for depth 0). The board is left as it was.
uint64_t countPaths(Board& board, int depth);
