#include "frontend/output.h"

#include <cstdarg>
#include <cstdio>

namespace {

constexpr int LINE_BUFFER_SIZE = 4096;

bool capturing = false;
std::vector<std::string> capturedLines;

void emit(const char* text, size_t length) {
  if (capturing) {
    capturedLines.emplace_back(text, length);
    return;
  }
  std::fwrite(text, 1, length, stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace

void sendLine(const char* format, ...) {
  static char buffer[LINE_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  const int needed = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (needed < 0) return;
  if (needed < LINE_BUFFER_SIZE) {
    emit(buffer, static_cast<size_t>(needed));
    return;
  }
  // A rare long line: format it again into a buffer of the right size.
  std::string longLine(static_cast<size_t>(needed) + 1, '\0');
  va_start(args, format);
  std::vsnprintf(&longLine[0], longLine.size(), format, args);
  va_end(args);
  emit(longLine.data(), static_cast<size_t>(needed));
}

void startCapture() {
  capturing = true;
  capturedLines.clear();
}

std::vector<std::string> stopCapture() {
  capturing = false;
  std::vector<std::string> lines;
  lines.swap(capturedLines);
  return lines;
}
