// `tolvane perft DEPTH [FEN]`: counts the legal move paths of a position.
#pragma once

// Prints one line per legal root move and a final "nodes N time MS nps N"
// line; returns the process exit code (non-zero for a bad FEN or depth).
int runPerft(int depth, const char* fen);
