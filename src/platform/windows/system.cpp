// Sleeping, memory, the program path and the process set-up on Windows.
#include <windows.h>

#include <string>

#include "platform/platform.h"

void prepareProcess() {
  // No system dialog ("insert a disk", "the program stopped working") may
  // hold the engine: front ends often hide its console, and tests have no
  // one to click.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

uint32_t processSeed() { return static_cast<uint32_t>(GetCurrentProcessId()); }

void sleepMs(int ms) { Sleep(ms > 0 ? static_cast<DWORD>(ms) : 0); }

// Whole pages straight from the system: zeroed, aligned to the page, and
// never mixed with the small blocks of the heap. (Large pages would need a
// privilege that ordinary accounts lack.)
void* allocateLargeBlock(size_t bytes) {
  if (bytes == 0) bytes = 1;
  return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void freeLargeBlock(void* block) {
  if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}

// The executable's own full path, whatever the working directory and however
// we were started; argv0 only when the system cannot say.
std::string programPath(const char* argv0) {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return argv0 != nullptr ? argv0 : "";
    if (n < path.size()) {  // a path that fills the buffer may be cut short
      path.resize(n);
      return path;
    }
    if (path.size() >= 32768) return argv0 != nullptr ? argv0 : "";
    path.resize(path.size() * 2);
  }
}
