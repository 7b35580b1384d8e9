// Threads and wake-up signals on Windows: kernel threads and semaphores.
#include <windows.h>

#include <new>

#include "platform/platform.h"

struct PlatformThread {
  HANDLE handle;
  void (*body)(void*);
  void* arg;
};

struct WakeSignal {
  HANDLE semaphore;
};

namespace {

constexpr LONG MAX_PENDING_WAKES = 1 << 20;

DWORD WINAPI threadEntry(LPVOID param) {
  PlatformThread* t = static_cast<PlatformThread*>(param);
  t->body(t->arg);
  return 0;
}

}  // namespace

PlatformThread* startThread(void (*body)(void*), void* arg) {
  PlatformThread* t = new (std::nothrow) PlatformThread{nullptr, body, arg};
  if (t == nullptr) return nullptr;
  t->handle = CreateThread(nullptr, 0, threadEntry, t, 0, nullptr);
  if (t->handle == nullptr) {
    delete t;
    return nullptr;
  }
  return t;
}

void joinThread(PlatformThread* thread) {
  WaitForSingleObject(thread->handle, INFINITE);
  CloseHandle(thread->handle);
  delete thread;
}

WakeSignal* createSignal() {
  HANDLE s = CreateSemaphoreA(nullptr, 0, MAX_PENDING_WAKES, nullptr);
  if (s == nullptr) return nullptr;
  WakeSignal* signal = new (std::nothrow) WakeSignal{s};
  if (signal == nullptr) CloseHandle(s);
  return signal;
}

void raiseSignal(WakeSignal* signal) { ReleaseSemaphore(signal->semaphore, 1, nullptr); }

void waitSignal(WakeSignal* signal) { WaitForSingleObject(signal->semaphore, INFINITE); }

void freeSignal(WakeSignal* signal) {
  CloseHandle(signal->semaphore);
  delete signal;
}
