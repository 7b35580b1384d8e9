// The UCCI command loop: one command per input line.
#pragma once

struct Board;

struct EngineSession {
  Board* board;
  bool positionValid;  // false after a FEN that cannot be searched
};

enum class CommandResult { Continue, Quit };

// Serves one input line against the session; "quit" returns Quit and leaves
// the shut-down to the caller.
CommandResult serveCommand(EngineSession& session, const char* line);

// Reads and serves lines until "quit" or the end of input.
void runCommandLoop(EngineSession& session);
