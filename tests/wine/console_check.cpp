// The line reader on a console, run under Wine in a terminal (`script`): keys
// go into our own console as a typist presses them. A line is served only
// once its Enter is pending, so the search never waits for a typist; a lone
// key release is no input. Reports "N passed, N failed" on stderr.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"

namespace {

// Each key pressed and released; only released with `pressed` false.
void type(const std::string& keys, bool pressed = true) {
  for (char c : keys)
    for (const bool down : {true, false}) {
      if (down && !pressed) continue;
      INPUT_RECORD r{};
      r.EventType = KEY_EVENT;
      r.Event.KeyEvent = {down, 1, WORD(c == '\r' ? VK_RETURN : LOBYTE(VkKeyScanA(c))), 0, {}, 0};
      r.Event.KeyEvent.uChar.AsciiChar = c;
      DWORD written = 0;
      WriteConsoleInputA(GetStdHandle(STD_INPUT_HANDLE), &r, 1, &written);
    }
}

}  // namespace

int main() {
  DWORD mode = 0, passed = 0, failed = 0;
  if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) return std::fputs("not a console\n", stderr), 2;
  const auto check = [&](bool ok, const char* what) {
    ok ? ++passed : (++failed, std::fprintf(stderr, "FAILED: %s\n", what));
  };
  check(!inputAvailable(), "nothing typed");  // the first look clears what came before
  type("x", false);
  check(!inputAvailable(), "a lone key release is no input");
  type("go depth 1");
  check(!inputAvailable() && readLine() == nullptr, "a line is not ready before its Enter");
  type("\r");
  const char* text = readLine();
  check(text != nullptr && std::string(text) == "go depth 1", "the typed line is served at its Enter");
  check(!inputAvailable(), "the Enter's release left behind is no input");
  type("stop \t\r");
  text = readLine();
  check(text != nullptr && std::string(text) == "stop", "the next line, without its trailing blanks");
  std::fprintf(stderr, "console check: %lu passed, %lu failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
