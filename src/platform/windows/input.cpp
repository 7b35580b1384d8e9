// Standard input on Windows, taken only when taking it cannot block.
//
// The kind of input is settled on the first look and kept:
// - a console: its window and mouse events are switched off and what was
//   typed before we started is discarded. A line is ready once more than
//   one input event is pending (a lone key release is not input) and one of
//   them is the key press of Enter: before that, the console's line read
//   would wait for the typist.
// - a pipe, as front ends start us: PeekNamedPipe counts the bytes that can
//   be read. A peek that fails because the writer has gone lets the read
//   report the end. A pipe that cannot be peeked at (Wine hands a host's
//   pipe over this way) is read by a thread of its own, which blocks in
//   ReadFile so that the engine never does.
// - a file: reading it never blocks.
#include <windows.h>
#include <io.h>

#include <cstring>

#include "platform/rawinput.h"

namespace {

enum class Source { Unknown, Console, Pipe, ReaderThread, File, Closed };

struct Input {
  Source source = Source::Unknown;
  HANDLE handle = INVALID_HANDLE_VALUE;
  int fd = 0;
};

Input input;

// The reader thread hands over one chunk at a time: it fills `chunk`,
// publishes its length (or -1 at the end) and waits until the engine has
// taken it. Only the thread writes `chunk`, only while `length` is 0.
struct ThreadedReader {
  char chunk[65536];
  volatile LONG length = 0;
  HANDLE taken = nullptr;  // auto-reset: the engine took the chunk
};

ThreadedReader threaded;

DWORD WINAPI readerThread(void* handle) {
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(static_cast<HANDLE>(handle), threaded.chunk, sizeof threaded.chunk, &n, nullptr) ||
        n == 0) {
      InterlockedExchange(&threaded.length, -1);
      return 0;
    }
    InterlockedExchange(&threaded.length, static_cast<LONG>(n));
    WaitForSingleObject(threaded.taken, INFINITE);
  }
}

bool startReaderThread() {
  threaded.length = 0;
  threaded.taken = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (threaded.taken == nullptr) return false;
  HANDLE thread = CreateThread(nullptr, 64 * 1024, readerThread, input.handle, 0, nullptr);
  if (thread == nullptr) return false;
  CloseHandle(thread);
  return true;
}

long takeThreadedChunk(char* buffer, size_t capacity) {
  const LONG n = InterlockedCompareExchange(&threaded.length, 0, 0);
  if (n <= 0) return n < 0 ? -1 : 0;
  // The line reader asks for whole chunks; a smaller buffer gets a head.
  const size_t take = static_cast<size_t>(n) < capacity ? static_cast<size_t>(n) : capacity;
  std::memcpy(buffer, threaded.chunk, take);
  if (take < static_cast<size_t>(n)) {
    std::memmove(threaded.chunk, threaded.chunk + take, static_cast<size_t>(n) - take);
    InterlockedExchange(&threaded.length, static_cast<LONG>(static_cast<size_t>(n) - take));
  } else {
    InterlockedExchange(&threaded.length, 0);
    SetEvent(threaded.taken);
  }
  return static_cast<long>(take);
}

void settleSource() {
  input.handle = input.fd == 0 ? GetStdHandle(STD_INPUT_HANDLE)
                               : reinterpret_cast<HANDLE>(_get_osfhandle(input.fd));
  if (input.handle == nullptr || input.handle == INVALID_HANDLE_VALUE) {
    input.source = Source::Closed;  // started without any input
    return;
  }
  DWORD mode = 0;
  if (GetConsoleMode(input.handle, &mode)) {
    SetConsoleMode(input.handle, mode & ~static_cast<DWORD>(ENABLE_WINDOW_INPUT | ENABLE_MOUSE_INPUT));
    FlushConsoleInputBuffer(input.handle);
    input.source = Source::Console;
    return;
  }
  input.source = GetFileType(input.handle) == FILE_TYPE_DISK ? Source::File : Source::Pipe;
}

// Reads what the handle gives; the end or a failure closes the input.
long readHandle(char* buffer, size_t capacity) {
  DWORD n = 0;
  const DWORD want = capacity < (1u << 30) ? static_cast<DWORD>(capacity) : (1u << 30);
  if (!ReadFile(input.handle, buffer, want, &n, nullptr) || n == 0) {
    input.source = Source::Closed;
    return -1;
  }
  return static_cast<long>(n);
}

// A typed line is complete once its Enter key press is pending.
bool consoleLineReady() {
  // Harmless on Windows, where the handle is signalled exactly when events
  // wait; Wine's console in a terminal takes in typed keys only when asked.
  WaitForSingleObject(input.handle, 0);
  DWORD events = 0;
  if (!GetNumberOfConsoleInputEvents(input.handle, &events)) return true;  // the read reports it
  if (events <= 1) return false;
  static INPUT_RECORD records[512];
  DWORD seen = 0;
  if (!PeekConsoleInputA(input.handle, records, 512, &seen)) return true;
  for (DWORD i = 0; i < seen; ++i) {
    const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
    if (records[i].EventType == KEY_EVENT && key.bKeyDown &&
        (key.wVirtualKeyCode == VK_RETURN || key.uChar.AsciiChar == '\r'))
      return true;
  }
  // More events than we looked at: a long line, surely with its Enter.
  return seen < events;
}

}  // namespace

long readReadyInput(char* buffer, size_t capacity) {
  if (input.source == Source::Unknown) settleSource();
  switch (input.source) {
    case Source::Console:
      // The console hands out at most a line per read, the rest the next time.
      if (!consoleLineReady()) return 0;
      return readHandle(buffer, capacity < 16384 ? capacity : 16384);
    case Source::Pipe: {
      DWORD available = 0;
      if (PeekNamedPipe(input.handle, nullptr, 0, nullptr, &available, nullptr)) {
        if (available == 0) return 0;
        return readHandle(buffer, available < capacity ? available : capacity);
      }
      if (GetLastError() == ERROR_BROKEN_PIPE) return readHandle(buffer, capacity);
      if (!startReaderThread()) return readHandle(buffer, capacity);  // no other way left
      input.source = Source::ReaderThread;
      return 0;
    }
    case Source::ReaderThread:
      return takeThreadedChunk(buffer, capacity);
    case Source::File:
      return readHandle(buffer, capacity);
    default:
      return -1;
  }
}

void selectInput(int fd) {
  input = Input{};
  input.fd = fd;
}
