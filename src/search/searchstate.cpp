#include "search/searchstate.h"

uint8_t stopRequested = 0;
int rootSide = RED;
PvRecord rootPv = {};
int rootScore = 0;
int iterationDepth = 0;
