// Runs the built engine as a child process on a real pipe, feeds it input
// and collects what it prints, with a deadline so that a hang fails a test
// instead of blocking it.
#pragma once

#include <string>
#include <vector>

struct EngineRun {
  int exitCode = -1;      // -1 when killed or ended by a signal
  bool timedOut = false;
  std::string out, err;
  std::vector<std::string> lines;  // stdout split at newlines
};

struct EngineLaunch {
  std::string binary;
  std::string workDir;
  std::string input;
  bool closeInput = true;  // close stdin once the input is written
  int timeoutMs = 30000;
};

EngineRun runEngineProcess(const EngineLaunch& launch);

// A fresh directory under the system's temp directory, removed on exit.
struct TempDir {
  std::string path;
  TempDir();
  ~TempDir();
  // Copies a file into the directory (keeping its permissions).
  void copyIn(const std::string& source, const std::string& name) const;
  void write(const std::string& name, const std::string& content) const;
};

std::string readFile(const std::string& path);
