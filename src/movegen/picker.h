// The staged move picker: one frame per search ply, producing the moves of
// a node lazily (hash move, good captures, killers, other captures, quiet
// moves; or the quiescence stages), each with its ordering score.
#pragma once

#include "movegen/checks.h"
#include "movegen/movegen.h"
#include "types.h"

struct Board;

constexpr int PICKER_SENTINEL_FRAMES = 8;
constexpr int PICKER_MOVE_SLOTS = 405;  // hash move, two killers, 402 generated
constexpr int HASH_MOVE_SCORE = 32766;
constexpr int SORT_SENTINEL_SCORE = -32767;

struct MovePicker {
  Board* board;
  uint8_t side;
  int stage;
  int cursor;
  int end;
  int quietStart;  // first move of the last stage (quiets or quiet evasions)
  uint8_t sorted;
  int ply;
  uint8_t inCheck;
  int threatCount;  // written by the quiescence search from the evaluation
  int checkerCount;
  Move checkers[MAX_CHECKERS];
  Move moves[PICKER_MOVE_SLOTS];  // [0] hash move, [1] killer 1, [2] killer 2
  Move captureKillers[2];
  int killer1Tried;
  int killer2Tried;
  Move searchMove;
  int fallbackMoveCount;  // used by the go driver when the engine is mated

  Move& hashMove() { return moves[0]; }
  Move& killer1() { return moves[1]; }
  Move& killer2() { return moves[2]; }

  void reset(Move hash);            // stage 0, end 3; killers stay
  Move next();                      // alpha-beta stages; null move when done
  Move nextQuiescence();            // quiescence stages; null move when done
  int generateRootMoves();          // legal root moves, scored, from slot 0
  void clearKillers();              // killers, capture killers, searchMove
};

// Frames for plies -8..114; pickerAt(ply) for ply 0..114.
extern MovePicker pickerFrames[PICKER_SENTINEL_FRAMES + MAX_PLY];
inline MovePicker* pickerAt(int ply) { return &pickerFrames[PICKER_SENTINEL_FRAMES + ply]; }
// Links every frame to the board and numbers the plies (once at start-up).
void initPickers(Board* board);

// Ordering scores.
int16_t scoreCapture(const Board& board, Move* m);
bool bubblePass(Move* moves, int first, int last);
bool sortMoves(Move* moves, int first, int last);  // moves[last] must exist
