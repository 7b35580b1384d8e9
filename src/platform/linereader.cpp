// Non-blocking line input. Everything read from the input stays in our own
// buffer until it is served as a line, so data that arrived together with an
// earlier line is never lost and counts as available at once. How bytes are
// taken without blocking is the host's business (rawinput.h).
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/rawinput.h"

namespace {

constexpr size_t READ_CHUNK = 65536;

struct LineReader {
  std::string pending;   // bytes read, not yet served
  size_t served = 0;     // offset of the first unserved byte in pending
  size_t scanned = 0;    // bytes from `served` already known to hold no '\n'
  bool ended = false;    // the input reported its end or an error
  std::string line;      // the line handed out last
};

LineReader reader;

bool hasWholeLine() {
  const size_t from = reader.served + reader.scanned;
  if (from >= reader.pending.size()) return false;
  const void* nl = std::memchr(reader.pending.data() + from, '\n', reader.pending.size() - from);
  if (nl == nullptr) {
    reader.scanned = reader.pending.size() - reader.served;
    return false;
  }
  return true;
}

// Reads whatever the input holds right now, without waiting, until a
// newline has arrived or nothing more is ready.
void fillWithoutBlocking() {
  static char chunk[READ_CHUNK];
  while (!reader.ended && !hasWholeLine()) {
    const long n = readReadyInput(chunk, sizeof chunk);
    if (n == 0) return;
    if (n < 0) {
      reader.ended = true;
      return;
    }
    reader.pending.append(chunk, static_cast<size_t>(n));
  }
}

bool hasUnserved() { return reader.served < reader.pending.size(); }

bool isTrailingSpace(char c) { return c == '\r' || c == ' ' || c == '\t'; }

}  // namespace

bool inputAvailable() {
  if (hasWholeLine()) return true;
  fillWithoutBlocking();
  return hasWholeLine() || reader.ended;
}

const char* readLine() {
  if (!inputAvailable()) return nullptr;
  const size_t begin = reader.served;
  size_t end;  // one past the last character of the line
  if (hasWholeLine()) {
    const char* base = reader.pending.data();
    end = static_cast<size_t>(
        static_cast<const char*>(std::memchr(base + begin + reader.scanned, '\n',
                                             reader.pending.size() - begin - reader.scanned)) -
        base);
    reader.served = end + 1;
  } else if (hasUnserved()) {
    // The input ended without a final newline: the rest is the last line.
    end = reader.pending.size();
    reader.served = end;
  } else {
    return nullptr;
  }
  reader.scanned = 0;
  size_t length = end - begin;
  // Windows line ends and trailing blanks or tabs mean nothing.
  while (length > 0 && isTrailingSpace(reader.pending[begin + length - 1])) --length;
  reader.line.assign(reader.pending, begin, length);
  // Drop served bytes once they make up most of the buffer.
  if (reader.served > READ_CHUNK && reader.served * 2 > reader.pending.size()) {
    reader.pending.erase(0, reader.served);
    reader.served = 0;
  }
  return reader.line.c_str();
}

bool inputClosed() { return reader.ended && !hasUnserved(); }

void resetInput(int fd) {
  selectInput(fd);
  reader.pending.clear();
  reader.served = 0;
  reader.scanned = 0;
  reader.ended = false;
  reader.line.clear();
}
