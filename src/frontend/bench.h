// The command-line tools beside the protocol.
// "tolvane bench": a fixed set of positions, each searched to a fixed depth
// from fresh tables. The node total is the engine's signature: the same on
// every run and build of the same code and data files.
#pragma once

#include <cstdint>

// Loads the engine beside the binary (with the search options of
// optionsPath and the evaluation script of scriptPath when given: the
// classic profile is Classic.opt with ClassicPosVal.txt), searches every
// position and prints "nodes <N> time <ms> nps <N per second>" last.
// Returns the exit code.
int runBench(const char* argv0, const char* optionsPath = nullptr,
             const char* scriptPath = nullptr);

// The positions and the depth, open for tests.
extern const char* const BENCH_POSITIONS[];
extern const int BENCH_POSITION_COUNT;
extern const int BENCH_DEPTH;

struct Board;
// Searches every position on a loaded engine; returns the node total.
uint64_t benchNodes(Board& board, bool printEach);

// "tolvane perft DEPTH [FEN]": builds the tables it needs, prints one
// "<move>: <count>" line per legal root move and a final "nodes N time MS
// nps N" line; returns the process exit code (1, with a message on stderr,
// for a bad FEN or depth).
int runPerft(int depth, const char* fen);
