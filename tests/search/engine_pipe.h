// A conversation with the built engine over real pipes: lines are sent one
// request at a time and the replies read up to an expected line, each wait
// under a deadline so that a hang fails a test instead of blocking it. The
// engine reads input while it thinks, so a whole script cannot be written
// ahead; this keeps the dialogue in step like a GUI does.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

class EnginePipe {
 public:
  // Starts `binary` in `workDir`; running() tells whether that worked.
  EnginePipe(const std::string& binary, const std::string& workDir);
  ~EnginePipe();  // closes the input, waits a moment, then kills
  EnginePipe(const EnginePipe&) = delete;
  EnginePipe& operator=(const EnginePipe&) = delete;

  bool running() const { return pid_ > 0; }
  bool send(const std::string& line);  // a newline is added

  // Reads lines (appending them to `lines`) until one satisfies `last`;
  // false on a timeout or when the engine's output ends first.
  bool readUntil(const std::function<bool(const std::string&)>& last,
                 std::vector<std::string>* lines, int timeoutMs);

 private:
  bool nextLine(std::string* line, int timeoutMs);

  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
  std::string pending_;
};

bool startsWith(const std::string& text, const char* prefix);
