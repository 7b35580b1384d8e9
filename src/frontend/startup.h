// The engine's life as a process: wait for "ucci" (or "uci"), load every
// table and data file, announce itself, serve commands, shut down.
#pragma once

// The exit code when the evaluation script cannot be loaded.
constexpr int EXIT_DATA_FILE_FAILED = 1;

// Returns the process exit code: 0 after "quit", the end of input or a
// first line of neither protocol.
int runEngine(const char* argv0);

// The table size the engine started with (Config.ini's, or the default).
int configuredHashMb();

#include <string>

struct Board;

// Every table and data file in start-up order, and the Board. fixedHashMb
// > 0 sizes the transposition table without reading Config.ini; a
// non-empty optionsPath replaces the HowToThink.opt beside the program, a
// non-empty scriptPath its PosVal.txt.
// Null when the evaluation script cannot be read (already reported).
Board* startUpEngine(const std::string& exeDirectory, int fixedHashMb,
                     const std::string& optionsPath = "", const std::string& scriptPath = "");
// Sizes, allocates, clears and checks the transposition table for sizeMb
// megabytes (at start-up and for "setoption hashsize"); when the memory is
// not there, a smaller table is taken.
void resizeHashTable(int sizeMb);
// Releases the tables and the Board in shut-down order.
void releaseEngine(Board* board);
