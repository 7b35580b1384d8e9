// "setoption": the options a front end may set while no search runs.
#pragma once

// Most milliseconds a UCI front end may ask to keep for its own overhead.
constexpr int MOVE_OVERHEAD_MAX_MS = 5000;

// Options the go lines read: best lines to show, the opening book's use
// (UCI's OwnBook) and the time a UCI front end loses per move.
extern int multiPvOption;
extern bool ownBookOption;
extern int moveOverheadMs;

// Serves a whole setoption line, in the protocol's form
// ("setoption hashsize 64") or the form some front ends send
// ("setoption name hashsize value 64"). Understood: hashsize, usemillisec,
// newgame, bookfiles, loadbook, threads, multipv. Any other option, and a
// value that does not read, changes nothing. Nothing is printed.
void serveSetOption(const char* line);

// Serves a UCI setoption line ("setoption name <words> [value <text>]",
// names in any case): Hash, Threads, MultiPV, Clear Hash, Move Overhead,
// OwnBook, BookFile. Anything else changes nothing.
void serveUciSetOption(const char* line);

// A new game: the table and every thread's move-ordering memory cleared.
void startNewGame();

// The table size a hashsize value asks for: megabytes clamped to the
// advertised 16..1024, or 0 when the table stays as it is (a value of 0, or
// one that is not a plain number).
int hashSizeOptionMb(const char* value);
