// The protocol's side of a running search: its findings as "info" lines, and
// the lines that arrive while the engine thinks.
#pragma once

#include "search/report.h"

// "info" lines on stdout; "stop", "quit" and the end of input end the
// search, "isready" is answered at once, other lines are dropped.
struct ProtocolReporter : SearchReporter {
  void bookMove(Move m) override;
  void bestLine(const PvRecord& pv, int depth, int score) override;
  void iterationDone(int depth, int64_t ms, uint64_t nodes) override;
  void searchDone(int64_t ms, uint64_t nodes) override;
  void debugLine(const PvRecord& pv, int depth, int score) override;
  void brokenLine(const PvRecord& line, int broken) override;
  PollAnswer pollInput() override;
};

extern ProtocolReporter protocolReporter;
