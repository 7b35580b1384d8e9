// The engine's life as a UCCI process: wait for "ucci", load every table and
// data file, announce itself, serve commands, shut down.
#pragma once

// Returns the process exit code.
int runUcciEngine(const char* argv0);
