// Engine-wide state of the search, shared by the driver, the search and the
// protocol front end.
#pragma once

#include "types.h"

extern uint8_t stopRequested;  // a running search must unwind
extern int rootSide;           // side to move of the last set-up position
extern PvRecord rootPv;        // best line of the last search
extern int rootScore;
extern int iterationDepth;     // depth of the iteration now running
