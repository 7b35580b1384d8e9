// Threads and wake-up signals on POSIX hosts: pthreads.
#include <pthread.h>

#include <new>

#include "platform/platform.h"

struct PlatformThread {
  pthread_t handle;
  void (*body)(void*);
  void* arg;
};

struct WakeSignal {
  pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
  pthread_cond_t raised = PTHREAD_COND_INITIALIZER;
  int count = 0;
};

namespace {

void* threadEntry(void* param) {
  PlatformThread* t = static_cast<PlatformThread*>(param);
  t->body(t->arg);
  return nullptr;
}

}  // namespace

PlatformThread* startThread(void (*body)(void*), void* arg) {
  PlatformThread* t = new (std::nothrow) PlatformThread{pthread_t{}, body, arg};
  if (t == nullptr) return nullptr;
  if (pthread_create(&t->handle, nullptr, threadEntry, t) != 0) {
    delete t;
    return nullptr;
  }
  return t;
}

void joinThread(PlatformThread* thread) {
  pthread_join(thread->handle, nullptr);
  delete thread;
}

WakeSignal* createSignal() { return new (std::nothrow) WakeSignal; }

void raiseSignal(WakeSignal* signal) {
  pthread_mutex_lock(&signal->mutex);
  ++signal->count;
  pthread_cond_signal(&signal->raised);
  pthread_mutex_unlock(&signal->mutex);
}

void waitSignal(WakeSignal* signal) {
  pthread_mutex_lock(&signal->mutex);
  while (signal->count == 0) pthread_cond_wait(&signal->raised, &signal->mutex);
  --signal->count;
  pthread_mutex_unlock(&signal->mutex);
}

void freeSignal(WakeSignal* signal) {
  pthread_cond_destroy(&signal->raised);
  pthread_mutex_destroy(&signal->mutex);
  delete signal;
}
