// The thin layer between the engine and the operating system: non-blocking
// line input, sleeping, the engine clock, the program path and messages.
// One interface; the build picks the host's implementation (posix/ or
// windows/), and nothing above this layer knows which.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// True when a read of standard input will not block: a whole line is
// buffered, or the input has reached its end.
bool inputAvailable();
// Reads one whole line (any length) without its newline and without the
// carriage returns, blanks and tabs at its end, or returns null when no whole
// line can be read without blocking. The text stays valid until the next
// call.
const char* readLine();
// True once standard input has reached its end (or failed) and every
// buffered line has been served.
bool inputClosed();
// Points the reader at another descriptor and forgets everything buffered
// (tests feed the reader from a pipe this way).
void resetInput(int fd);

// Called first thing by every entry point: a front end that goes away, or a
// fault, must end the process, never stop it in a signal or a system dialog.
void prepareProcess();
// Seed material that differs between processes started in the same second.
uint32_t processSeed();

void sleepMs(int ms);

// A block for a large table, on huge pages where the system grants them;
// nullptr when the memory cannot be had. Released with freeLargeBlock.
void* allocateLargeBlock(size_t bytes);
void freeLargeBlock(void* block);
// Milliseconds since the process started, from a monotonic clock.
int64_t engineClockMs();

// The program's own path: where the system loaded the executable from
// (Windows), or argv0 when it names a directory part and otherwise the
// running executable's real path.
std::string programPath(const char* argv0);
// Index of the last '/' or '\\' in path, -1 when there is none; directory
// (including the separator) and file name are written to the outputs.
int splitPath(const std::string& path, std::string* directory, std::string* fileName);

// Messages: caption and text (UTF-8) on stderr, and on Windows also in a
// message box where there is a desktop to show it on. Never waits for an
// answer; askYesNo always answers No.
bool askYesNo(const char* text, const char* caption);
void showDebugInt(int n);
// Before the process ends on a fatal error: lets the open message boxes be
// read, for 20 seconds at most; returns at once when none is open.
void waitForMessages();
// One line (the newline is added) for the debug console of the search:
// stderr on POSIX hosts; on Windows a console window of its own, written by a
// thread of its own so that the search never waits for it (lines it cannot
// take in time are dropped).
void writeDebugLine(const char* text);

// Threads of the search: started once, each runs body(arg) until it
// returns. startThread gives nullptr when the system has no thread to give.
struct PlatformThread;
PlatformThread* startThread(void (*body)(void*), void* arg);
// Waits for the thread's body to return, then releases the thread.
void joinThread(PlatformThread* thread);
// A counting wake-up: raiseSignal adds one, waitSignal sleeps until there
// is one and takes it.
struct WakeSignal;
WakeSignal* createSignal();
void raiseSignal(WakeSignal* signal);
void waitSignal(WakeSignal* signal);
void freeSignal(WakeSignal* signal);
