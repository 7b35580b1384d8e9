// The protocol's side of a running search: its findings as "info" lines, and
// the lines that arrive while the engine thinks.
#pragma once

#include <deque>
#include <string>

#include "search/report.h"

// "info" lines on stdout. While the engine thinks, "isready" is answered at
// once, "stop" ends the search, "ponderhit" ends the pondering; every other
// line is kept, in order, for the command loop. "quit" and the end of input
// end this search and every search of the kept lines after its first
// iteration ("quit" itself is kept: the engine shuts down when it comes to
// it).
struct ProtocolReporter : SearchReporter {
  void bookMove(Move m) override;
  void bestLine(const PvRecord& pv, int depth, int score) override;
  void iterationDone(const PvRecord& pv, int depth, int score, int64_t ms,
                     uint64_t nodes) override;
  void otherLine(const PvRecord& pv, int depth, int score, int multiPv) override;
  void searchDone(int64_t ms, uint64_t nodes) override;
  void debugLine(const PvRecord& pv, int depth, int score) override;
  void brokenLine(const PvRecord& line, int broken) override;
  PollAnswer pollInput() override;

  // The oldest kept line, if any.
  bool takeKeptLine(std::string* line);

 private:
  std::deque<std::string> kept_;
  bool quitting_ = false;
};

// The same in UCI words: every line with seldepth, multipv, the score in
// centipawns or moves to mate, nodes, nps, hashfull and time; the root move
// searched after a second.
struct UciReporter : ProtocolReporter {
  void bookMove(Move m) override;
  void bestLine(const PvRecord& pv, int depth, int score) override;
  void iterationDone(const PvRecord& pv, int depth, int score, int64_t ms,
                     uint64_t nodes) override;
  void otherLine(const PvRecord& pv, int depth, int score, int multiPv) override;
  void rootMove(Move m, int number) override;
  void searchDone(int64_t ms, uint64_t nodes) override;
};

// The reporter of the session's protocol (searchReporter during a go).
extern ProtocolReporter protocolReporter;
extern UciReporter uciReporter;

// A UCI score: "cp N", or "mate N" in moves (negative when mated).
void formatUciScore(int score, char* out, size_t size);
