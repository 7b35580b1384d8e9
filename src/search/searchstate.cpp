#include "search/searchstate.h"

std::atomic<uint8_t> stopRequested{0};
int rootSide = RED;
PvRecord rootPv = {};
int rootScore = 0;
int gamePhase = 0;
int64_t softDeadlineMs = 0;
int64_t hardDeadlineMs = 0;
GoMode goMode = GoMode::Normal;
SearchLimits goLimits;
