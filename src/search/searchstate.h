// Engine-wide state of the search, shared by the driver, the search and the
// protocol front end.
#pragma once

#include "types.h"

extern uint8_t stopRequested;  // a running search must unwind
extern int rootSide;           // side to move of the last set-up position
extern PvRecord rootPv;        // best line of the last search
extern int rootScore;
extern int iterationDepth;     // depth of the iteration now running
extern int checkPlyLimit;      // quiescence generates quiet checks only at this ply
extern int gamePhase;          // 0 opening, 1 middle game, 2 endgame, 3 a king missing
extern uint64_t nodeCount;     // interior nodes of the current search
extern uint64_t quiesceNodeCount;
extern int64_t softDeadlineMs; // engine clock
extern int64_t hardDeadlineMs;

// Root moves the front end forbids ("banmoves"), until the next position.
constexpr int MAX_BANNED_MOVES = 128;
extern Move bannedMoves[MAX_BANNED_MOVES];
extern int bannedMoveCount;
inline bool isBannedMove(Move m) {
  for (int i = 0; i < bannedMoveCount; ++i)
    if (sameMove(bannedMoves[i], m)) return true;
  return false;
}
