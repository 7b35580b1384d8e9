// After each iteration the best line is played out on the board and every
// position on it is written back into the transposition table with the
// value backed up from the end of the line. A move of the line that cannot
// be played means the search built a broken line: it is reported, once per
// search, to the search's reporter.
#pragma once

struct SearchThread;

// Walks the thread's ply-0 line on its board from move `ply` on; returns the
// score of the line's end for the side to move at `ply`. The board is left
// as it was.
int checkAndStorePv(SearchThread& t, int ply);

// A broken line is reported once per search; the driver re-arms the report.
void allowPvReport();
