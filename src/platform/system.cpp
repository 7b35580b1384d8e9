// Sleeping, the engine clock, the program path and the message boxes, which
// on this host are lines on stderr that answer themselves.
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/platform.h"

namespace {

const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();

}  // namespace

void sleepMs(int ms) {
  timespec t{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&t, &t) != 0) {
  }
}

int64_t engineClockMs() {
  const auto elapsed = std::chrono::steady_clock::now() - processStart;
  return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

std::string programPath(const char* argv0) {
  const std::string given = argv0 != nullptr ? argv0 : "";
  if (given.find('/') != std::string::npos) return given;
  // Started through the search path: ask the system where we live.
  std::unique_ptr<char, decltype(&std::free)> real(realpath("/proc/self/exe", nullptr), &std::free);
  return real ? std::string(real.get()) : given;
}

int splitPath(const std::string& path, std::string* directory, std::string* fileName) {
  const size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) {
    directory->clear();
    *fileName = path;
    return -1;
  }
  *directory = path.substr(0, cut + 1);
  *fileName = path.substr(cut + 1);
  return static_cast<int>(cut);
}

bool askYesNo(const char* text, const char* caption) {
  std::fprintf(stderr, "[%s] %s\n", caption, text);
  std::fflush(stderr);
  return false;
}

void showDebugInt(int n) {
  std::fprintf(stderr, "[debug a integer] n=%d\n", n);
  std::fflush(stderr);
}
