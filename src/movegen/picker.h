// The staged move picker: one frame per search ply, producing the moves of
// a node lazily (hash move, good captures, killers, other captures, quiet
// moves; or the quiescence stages), each with its ordering score.
#pragma once

#include "movegen/checks.h"
#include "movegen/movegen.h"
#include "types.h"

struct Board;
struct HistoryTables;
struct MoveSpan;

constexpr int PICKER_SENTINEL_FRAMES = 8;
constexpr int PICKER_MOVE_SLOTS = 405;  // hash move, two killers, 402 generated
constexpr int PICKER_RESERVED_SLOTS = 3;  // hash move, killer 1, killer 2
constexpr int HASH_MOVE_SCORE = 32766;
constexpr int SORT_SENTINEL_SCORE = -32767;
// Quiet moves are ordered by history score minus this (history scores stay
// within 0..32766, so quiet scores never reach the sort sentinel's range).
constexpr int QUIET_SCORE_OFFSET = 32767;
// The quiescence picker offers quiet moves only at nodes whose evaluation
// saw at least this many threats.
constexpr int QUIET_CHECK_MIN_THREATS = 2;
// Stages of the picker: the stage next() (or nextQuiescence()) runs when
// called. In the quiescence search the capture stages hold the captures
// worth trying, the killers and quiet stages the quiet checks, and every
// evasion comes in the evasion stage.
enum PickerStage : int {
  PICKER_STAGE_HASH = 0,
  PICKER_STAGE_GENERATE_CAPTURES = 1,
  PICKER_STAGE_GOOD_CAPTURES = 2,
  PICKER_STAGE_KILLER_1 = 3,
  PICKER_STAGE_KILLER_2 = 4,
  PICKER_STAGE_OTHER_CAPTURES = 5,
  PICKER_STAGE_GENERATE_QUIETS = 6,  // in check: the blocks and king moves
  PICKER_STAGE_QUIETS = 7,
  PICKER_STAGE_EVASIONS = 8,
  PICKER_STAGE_CAPTURE_KILLER_1 = 9,
  PICKER_STAGE_CAPTURE_KILLER_2 = 10,
};

// A node generates in at most two stages, each writing one generator's list
// (at most MAX_MOVES distinct moves), after the reserved slots; the
// insertion sort writes its sentinel one slot past the end.
static_assert(PICKER_RESERVED_SLOTS + 2 * MAX_MOVES + 1 <= PICKER_MOVE_SLOTS,
              "picker move buffer too small for two generation stages and the sentinel");

// One frame per search ply of a thread, kept between the nodes of that ply
// (the killers, capture killers and search move live on in it). It orders
// quiet moves by the thread's history tables.
struct MovePicker {
  Board* board;
  const HistoryTables* history;
  uint8_t side;
  PickerStage stage;
  int cursor;
  int end;
  int quietStart;  // first move of the last stage (quiets or quiet evasions)
  uint8_t sorted;
  uint8_t inCheck;
  int threatCount;  // written by the quiescence search from the evaluation
  // Written by the quiescence search: its node may offer killers and quiet
  // checks (at the node that handed over to it, under threat).
  bool quietCheckNode;
  int checkerCount;
  Move checkers[MAX_CHECKERS];
  Move moves[PICKER_MOVE_SLOTS];  // [0] hash move, [1] killer 1, [2] killer 2
  Move captureKillers[2];
  Move searchMove;
  int fallbackMoveCount;  // used by the go driver when the engine is mated

  Move& hashMove() { return moves[0]; }
  Move& killer1() { return moves[1]; }
  Move& killer2() { return moves[2]; }

  // Stage 0, end 3; killers stay. The hash move has been through
  // checkedTableMove: a null move or one the side to move can play.
  void reset(Move hash);
  Move next();                      // alpha-beta stages; null move when done
  Move nextQuiescence();            // quiescence stages; null move when done
  int generateRootMoves();          // legal root moves, scored, from slot 0
  void clearKillers();              // killers, capture killers, searchMove
  void setKiller(Move m);           // killer 2 = killer 1, killer 1 = m, unless m is killer 1
  void setCaptureKiller(Move m);    // the same with the capture killers
  // The moves the quiet stage offered before the last one it returned (none
  // when the picker is not in that stage).
  MoveSpan quietsBefore() const;
};

// Frames for plies -PICKER_SENTINEL_FRAMES..MAX_PLY - 1, linked to the
// board and history tables they serve.
constexpr int PICKER_FRAMES = PICKER_SENTINEL_FRAMES + MAX_PLY;
void initPickers(MovePicker* frames, Board* board, const HistoryTables* history);

// Ordering scores. scoreCapture needs a capture by a piece (from-square
// holding a piece, to-square an enemy piece).
int16_t scoreCapture(const Board& board, Move* m);
void scoreCaptureRange(const Board& board, Move* moves, int first, int last);
void scoreQuietRange(const HistoryTables& h, const Board& board, Move* moves, int first,
                     int last);
void scoreMixedRange(const HistoryTables& h, const Board& board, Move* moves, int first,
                     int last);
// One pass from the back: the best of [first, last) ends up at first, the
// earlier of equal scores staying ahead. True when nothing was swapped.
bool bubblePass(Move* moves, int first, int last);
// Stable insertion sort, best first; writes a sentinel into moves[last].
bool sortMoves(Move* moves, int first, int last);
