// What a running search tells the world, and how it hears that it must stop.
// The front end supplies a reporter that speaks the protocol; the bench and
// tests supply their own. Every call has a silent default.
#pragma once

#include <cstdint>

#include "types.h"

// What the lines read during a search ask for.
enum class PollAnswer { Continue, Stop, PonderHit };

struct SearchReporter {
  virtual ~SearchReporter() = default;
  // A move the opening book offers at the root; its score is the book's.
  virtual void bookMove(Move) {}
  // A best line: the root's line of the given iteration, with its score.
  virtual void bestLine(const PvRecord&, int /*depth*/, int /*score*/) {}
  // An iteration is done with this line and score; time and nodes count
  // from the start of the go.
  virtual void iterationDone(const PvRecord&, int /*depth*/, int /*score*/, int64_t /*ms*/,
                             uint64_t /*nodes*/) {}
  // With several lines asked for, line multiPv (from 2) of the iteration
  // just done, right after iterationDone gave line 1.
  virtual void otherLine(const PvRecord&, int /*depth*/, int /*score*/, int /*multiPv*/) {}
  // The root move the search turns to, numbered from 1.
  virtual void rootMove(Move, int /*number*/) {}
  // The search is over (it answers next).
  virtual void searchDone(int64_t /*ms*/, uint64_t /*nodes*/) {}
  // The best line after an iteration, for the debug console.
  virtual void debugLine(const PvRecord&, int /*depth*/, int /*score*/) {}
  // The best line holds a move that cannot be played: moves 0..broken.
  virtual void brokenLine(const PvRecord&, int /*broken*/) {}
  // Reads what arrived while thinking; called every few thousand nodes.
  virtual PollAnswer pollInput() { return PollAnswer::Continue; }
};

// The reporter of every search; a silent one until another is set.
extern SearchReporter* searchReporter;
