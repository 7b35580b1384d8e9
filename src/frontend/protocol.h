// The command loop: one command per input line, in the session's protocol.
#pragma once

struct Board;
struct ProtocolReporter;

// UCCI, or UCI when the first line was "uci".
enum class Protocol { Ucci, Uci };

struct EngineSession {
  Board* board;
  bool positionValid;  // false after a FEN that cannot be searched
  Protocol protocol = Protocol::Ucci;
};

enum class CommandResult { Continue, Quit };

// The reporter that speaks the protocol.
ProtocolReporter& reporterFor(Protocol protocol);

// Sends the identification and options of the protocol, ending with
// "ucciok" or "uciok".
void sendHandshake(Protocol protocol);

// Serves one input line against the session; "quit" returns Quit and leaves
// the shut-down to the caller.
CommandResult serveCommand(EngineSession& session, const char* line);

// Reads and serves lines until "quit" or the end of input.
void runCommandLoop(EngineSession& session);
