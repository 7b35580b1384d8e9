// A live conversation with the built engine over real pipes, for sessions
// that must wait for the engine between lines (it reads input while it
// thinks, so a script written ahead would reach the search too early).
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

class LiveEngine {
 public:
  LiveEngine();  // the built binary, in the build directory
  ~LiveEngine();
  LiveEngine(const LiveEngine&) = delete;
  LiveEngine& operator=(const LiveEngine&) = delete;

  void send(const std::string& line);
  void closeInput();
  // Reads until a line starting with `prefix`; that line, or "<timeout>" /
  // "<eof>". Every line read is kept in `lines`.
  std::string waitFor(const std::string& prefix, int timeoutMs = 20000);
  // The same with any test of the line.
  std::string waitUntil(const std::function<bool(const std::string&)>& last,
                        int timeoutMs = 20000);
  // Waits for the process to end; its exit code, -1 on a timeout or signal.
  int waitExit(int timeoutMs = 10000);

  std::vector<std::string> lines;

 private:
  bool readLine(std::string* line, int timeoutMs);
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::string buffer_;
};

bool startsWith(const std::string& text, const std::string& prefix);
