// Message boxes and the debug console on Windows.
//
// A message always goes to stderr first (wide text on a console, UTF-8
// elsewhere), then to a box when the process has a visible desktop (a
// service or a remote job has none). The box lives on a thread of its own:
// the engine never waits for an answer (askYesNo answers No), so a box that
// nobody sees or clicks can never hold a search, a start-up or a test. Only
// the fatal start-up failure waits for its box, 20 seconds at most, so that
// the reader has a chance to see why the engine ends.
//
// The texts are UTF-8 in the engine. On a system whose ANSI code page is GBK
// (936) they are shown as GBK through MessageBoxA; everywhere else through
// MessageBoxW, so that the Chinese texts read right whatever the code page.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "platform/platform.h"

namespace {

constexpr DWORD FATAL_MESSAGE_WAIT_MS = 20000;
constexpr int BOX_SLOTS = 4;       // more at once go to stderr only
constexpr int BOX_TEXT_BYTES = 4000;
constexpr int CAPTION_BYTES = 200;
constexpr UINT GBK_CODE_PAGE = 936;

struct MessageBoxSlot {
  HANDLE thread = nullptr;  // the box's thread while it may still be shown
  UINT type = 0;
  bool ansi = false;
  wchar_t text[BOX_TEXT_BYTES + 1];
  wchar_t caption[CAPTION_BYTES + 1];
  char ansiText[2 * BOX_TEXT_BYTES + 1];
  char ansiCaption[2 * CAPTION_BYTES + 1];
};

MessageBoxSlot boxes[BOX_SLOTS];

// UTF-8 to UTF-16, cut at a character boundary to what `units` can take.
void widen(const char* utf8, wchar_t* out, int maxBytes) {
  int length = static_cast<int>(std::strlen(utf8));
  if (length > maxBytes) {
    length = maxBytes;
    while (length > 0 && (static_cast<unsigned char>(utf8[length]) & 0xC0) == 0x80) --length;
  }
  const int n = length > 0 ? MultiByteToWideChar(CP_UTF8, 0, utf8, length, out, maxBytes) : 0;
  out[n > 0 ? n : 0] = L'\0';
}

void narrow(const wchar_t* text, char* out, int size) {
  const int n = WideCharToMultiByte(GBK_CODE_PAGE, 0, text, -1, out, size, nullptr, nullptr);
  if (n == 0) out[0] = '\0';
  out[size - 1] = '\0';
}

// "[caption] text" on stderr: wide text on a console, so that it reads right
// whatever the console's code page; the bytes as they are on a pipe or in a
// file.
void writeError(const char* caption, const char* text) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (err != nullptr && err != INVALID_HANDLE_VALUE && GetConsoleMode(err, &mode)) {
    static wchar_t wide[BOX_TEXT_BYTES + 1];
    DWORD written = 0;
    for (const char* part : {"[", caption, "] ", text, "\r\n"}) {
      widen(part, wide, BOX_TEXT_BYTES);
      WriteConsoleW(err, wide, static_cast<DWORD>(wcslen(wide)), &written, nullptr);
    }
    return;
  }
  std::fprintf(stderr, "[%s] %s\n", caption, text);
  std::fflush(stderr);
}

bool desktopVisible() {
  HWINSTA station = GetProcessWindowStation();
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  return station != nullptr &&
         GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, &needed) &&
         (flags.dwFlags & WSF_VISIBLE) != 0;
}

DWORD WINAPI boxThread(void* argument) {
  const MessageBoxSlot& box = *static_cast<MessageBoxSlot*>(argument);
  if (box.ansi)
    MessageBoxA(nullptr, box.ansiText, box.ansiCaption, box.type);
  else
    MessageBoxW(nullptr, box.text, box.caption, box.type);
  return 0;
}

MessageBoxSlot* freeSlot() {
  for (MessageBoxSlot& box : boxes) {
    if (box.thread != nullptr && WaitForSingleObject(box.thread, 0) == WAIT_OBJECT_0) {
      CloseHandle(box.thread);
      box.thread = nullptr;
    }
    if (box.thread == nullptr) return &box;
  }
  return nullptr;
}

void showBox(const char* text, const char* caption, UINT type) {
  static const bool shown = desktopVisible();
  if (!shown) return;
  MessageBoxSlot* box = freeSlot();
  if (box == nullptr) return;
  widen(text, box->text, BOX_TEXT_BYTES);
  widen(caption, box->caption, CAPTION_BYTES);
  box->ansi = GetACP() == GBK_CODE_PAGE;
  if (box->ansi) {
    narrow(box->text, box->ansiText, sizeof box->ansiText);
    narrow(box->caption, box->ansiCaption, sizeof box->ansiCaption);
  }
  box->type = type | MB_SETFOREGROUND | MB_TOPMOST;
  box->thread = CreateThread(nullptr, 0, boxThread, box, 0, nullptr);
}

// The debug console: a console window of our own when the process has none
// (front ends start us without one), else stderr. A thread writes the lines,
// so a console that cannot take them (a selection in progress freezes its
// output) holds that thread only; lines that do not fit the ring are dropped.
struct DebugConsole {
  bool opened = false;
  HANDLE out = nullptr;
  HANDLE wake = nullptr;
  CRITICAL_SECTION lock;
  char ring[1 << 16];
  size_t head = 0, size = 0;  // bytes waiting start at head
};

DebugConsole console;

DWORD WINAPI consoleWriter(void*) {
  static char batch[4096];
  for (;;) {
    WaitForSingleObject(console.wake, INFINITE);
    for (;;) {
      EnterCriticalSection(&console.lock);
      size_t n = console.size < sizeof batch ? console.size : sizeof batch;
      if (console.head + n > sizeof console.ring) n = sizeof console.ring - console.head;
      std::memcpy(batch, console.ring + console.head, n);
      console.head = (console.head + n) % sizeof console.ring;
      console.size -= n;
      LeaveCriticalSection(&console.lock);
      if (n == 0) break;
      DWORD written = 0;
      WriteFile(console.out, batch, static_cast<DWORD>(n), &written, nullptr);
    }
  }
}

BOOL WINAPI ignoreBreak(DWORD event) { return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT; }

void openDebugConsole() {
  console.opened = true;
  // Our own console must not change where the protocol goes.
  const DWORD kinds[3] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  HANDLE saved[3];
  for (int i = 0; i < 3; ++i) saved[i] = GetStdHandle(kinds[i]);
  if (AllocConsole()) {
    for (int i = 0; i < 3; ++i) SetStdHandle(kinds[i], saved[i]);
    console.out = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    SetConsoleTitleA("Tolvane debug");
    // Closing the window or a Ctrl+C in it would end the whole engine.
    SetConsoleCtrlHandler(ignoreBreak, TRUE);
    if (HWND window = GetConsoleWindow())
      DeleteMenu(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND);
  } else {
    console.out = saved[2];
  }
  if (console.out == nullptr || console.out == INVALID_HANDLE_VALUE) return;
  InitializeCriticalSection(&console.lock);
  console.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE thread = console.wake != nullptr ? CreateThread(nullptr, 64 * 1024, consoleWriter, nullptr, 0, nullptr)
                                          : nullptr;
  if (thread == nullptr) {
    console.out = nullptr;
    return;
  }
  CloseHandle(thread);
}

}  // namespace

bool askYesNo(const char* text, const char* caption) {
  writeError(caption, text);
  showBox(text, caption, MB_YESNO | MB_ICONQUESTION);
  return false;
}

void showDebugInt(int n) {
  char text[32];
  std::snprintf(text, sizeof text, "n=%d", n);
  writeError("debug a integer", text);
  showBox(text, "debug a integer", MB_OK);
}

void waitForMessages() {
  HANDLE open[BOX_SLOTS];
  DWORD count = 0;
  for (const MessageBoxSlot& box : boxes)
    if (box.thread != nullptr) open[count++] = box.thread;
  if (count > 0) WaitForMultipleObjects(count, open, TRUE, FATAL_MESSAGE_WAIT_MS);
}

void writeDebugLine(const char* text) {
  if (!console.opened) openDebugConsole();
  if (console.out == nullptr || console.out == INVALID_HANDLE_VALUE) return;
  const size_t length = std::strlen(text);
  EnterCriticalSection(&console.lock);
  if (console.size + length + 2 <= sizeof console.ring) {
    size_t tail = (console.head + console.size) % sizeof console.ring;
    for (size_t i = 0; i < length + 2; ++i) {
      console.ring[tail] = i < length ? text[i] : (i == length ? '\r' : '\n');
      tail = (tail + 1) % sizeof console.ring;
    }
    console.size += length + 2;
  }
  LeaveCriticalSection(&console.lock);
  SetEvent(console.wake);
}
