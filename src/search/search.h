// The search: alpha-beta with quiescence below it, the root search and the
// iterative-deepening go driver.
#pragma once

#include <cstdint>

#include "search/limits.h"
#include "search/searchstate.h"
#include "search/tuning.h"
#include "types.h"

struct Board;
struct HistoryTables;
struct MovePicker;
struct SearchThread;

// What a node expects: on the principal variation, a cut-off, or none.
// A child is searched with the negated type.
enum NodeType : int { PV_NODE = 0, CUT_NODE = 1, ALL_NODE = -1 };

// Runs a whole "go" under its limits: iterative deepening up to the depth
// limit, no search past the clock when one is given. Infinite and Ponder
// searches return only once the reporter's input says so (see GoMode).
// Leaves the result in rootPv and rootScore; rootPv is empty only when
// there is no legal move.
int searchGo(const Board& board, const SearchLimits& limits);
// What a helper thread runs for a go: the same root on its copy of the
// board, at depths of its own, until the search stops.
void helperSearch(SearchThread& t);
// "ponderhit": the search goes on as a normal one, its budget counted from
// now, and ends at once when the pondering already took that long.
void ponderHit();

int searchRoot(SearchThread& t, int depth, int alpha, int beta);
int alphaBeta(SearchThread& t, int ply, int depth, int alpha, int beta, int nodeType);
// The best of the node's moves (the one in *move first), `excluded` left out.
int searchForMove(SearchThread& t, int ply, int depth, int alpha, int beta, Move* move,
                  int nodeType, Move excluded = NULL_MOVE);
int quiesce(SearchThread& t, int ply, int alpha, int beta);
// After a cut-off: the moves the picker offered before the cut-off move
// count as tried (the table move, and the quiet moves but the killers).
void markTriedMoves(HistoryTables& h, const MovePicker& picker);
void computeGamePhase(const Board& board);
// The legal root moves stand in the ply-0 frame's moves[0, count); those
// from `first` on are ordered (the ones before are other lines' moves).
void orderRootMoves(MovePicker& root, int first, int count, Move hashMove);
// The main thread is about to search root move `index` (from 0); shown
// once the search has run long enough for a front end to care.
void reportRootMove(Move m, int index);
// Milliseconds since the running (or last) go started.
int64_t searchElapsedMs();
void buildSearchTables();  // null-move material count table, at start-up

// Null-move material count of one side's 16 presence bits.
extern int16_t nullMoveMaterial[65536];
// Plies of late-move reduction by depth and move number (the log table).
extern int8_t lmrReductionTable[LMR_TABLE_SIZE][LMR_TABLE_SIZE];
void buildReductionTable(int basePercent, int divisorPercent);

// ---- principal variations (a thread's pvLines)
// The line of ply p is m followed by the line of ply p + 1, never longer
// than MAX_PLY - p moves; at ply 0 value is kept as the root index.
void updatePv(SearchThread& t, int ply, Move m, int value);
void copyPv(PvRecord* destination, const PvRecord& source);

// ---- repetition
// Looks back over the reversible plies before the current position for the
// same position with the same side to move. REP_CHECKED: the opponent gave
// check at every move of the cycle, or (with useChaseRule) chased one of our
// pieces at every move while we chased none (we score a perpetual win);
// REP_CHECKING: we did (a perpetual loss, not reported at ply 0); REP_PLAIN:
// a draw-like score from the incremental score and the script's repetition
// value. On a repeat, move is the move made from the earlier position.
enum RepetitionResult { REP_NONE = 0, REP_CHECKED = 1, REP_CHECKING = 2, REP_PLAIN = 3 };
// The board is replayed through the cycle to judge a chase and left as it was.
int checkRepetition(Board& board, int ply, int* score, Move* move);
// Does playing m (a legal move) repeat a position in a cycle that neither
// side loses? The board is left as it was.
bool repeatsIntoDraw(Board& board, Move m);
