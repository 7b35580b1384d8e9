// Sleeping, memory, the program path and the message boxes, which on this
// host are lines on stderr that answer themselves.
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/platform.h"

void prepareProcess() {
  // A front end that goes away must not kill us in the middle of a write.
  std::signal(SIGPIPE, SIG_IGN);
}

uint32_t processSeed() { return static_cast<uint32_t>(getpid()); }

void sleepMs(int ms) {
  timespec t{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&t, &t) != 0) {
  }
}

void* allocateLargeBlock(size_t bytes) {
  // Whole huge pages, aligned to them, so the kernel can back the table
  // with them: far fewer address-translation misses on random probes.
  constexpr size_t HUGE_PAGE = size_t(2) << 20;
  if (bytes < HUGE_PAGE) return std::malloc(bytes);
  const size_t rounded = (bytes + HUGE_PAGE - 1) / HUGE_PAGE * HUGE_PAGE;
  void* block = std::aligned_alloc(HUGE_PAGE, rounded);
  if (block != nullptr) madvise(block, rounded, MADV_HUGEPAGE);
  return block;
}

void freeLargeBlock(void* block) { std::free(block); }

std::string programPath(const char* argv0) {
  // The executable itself, wherever it was started from: through the
  // search path or a symbolic link, the data files lie beside the file.
  const std::string given = argv0 != nullptr ? argv0 : "";
  for (const char* path : {"/proc/self/exe", given.find('/') != std::string::npos ? given.c_str() : nullptr}) {
    if (path == nullptr) continue;
    std::unique_ptr<char, decltype(&std::free)> real(realpath(path, nullptr), &std::free);
    if (real) return real.get();
  }
  return given;
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

void waitForMessages() {}

void writeDebugLine(const char* text) {
  std::fprintf(stderr, "%s\n", text);
  std::fflush(stderr);
}
