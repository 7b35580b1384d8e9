// Services the searches share: the history table, killers, principal
// variations and the repetition test.
#pragma once

#include "types.h"

struct Board;
struct MovePicker;

// ---- history (quiet moves and captures by piece and destination)
void buildHistoryTables();  // slot and depth-bonus tables, at start-up
void historyClear();
void historyAdd(const Board& board, int depth, Move m);
int historyScore(const Board& board, Move m);
void historyGood(const Board& board, Move m);
void historyTried(const Board& board, Move m);
// good * 16384 / tried of the piece moved last (board.movingPiece).
unsigned historyRatio(const Board& board, Move m);
void markTriedMoves(MovePicker& picker);

// ---- killers
void setKiller(MovePicker& picker, Move m);
void setCaptureKiller(MovePicker& picker, Move m);

// ---- principal variations (board.pvLines)
void updatePv(Board& board, int ply, Move m, int value);
void copyPv(PvRecord* destination, const PvRecord& source);

// ---- repetition
enum RepetitionResult { REP_NONE = 0, REP_CHECKED = 1, REP_CHECKING = 2, REP_PLAIN = 3 };
int checkRepetition(const Board& board, int ply, int* score, Move* move);
