// Blank-separated words of a protocol line.
#pragma once

#include <cstring>

inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

inline const char* skipBlanks(const char* p) {
  while (isBlank(*p)) ++p;
  return p;
}

inline const char* wordEnd(const char* p) {
  while (*p != '\0' && !isBlank(*p)) ++p;
  return p;
}

// The word [start, end) is exactly `word`.
inline bool wordIs(const char* start, const char* end, const char* word) {
  const size_t length = std::strlen(word);
  return static_cast<size_t>(end - start) == length && std::memcmp(start, word, length) == 0;
}

// The text behind the whole word `word` (and the blanks after it) at or
// after p, or null when there is no such word.
inline const char* findWord(const char* p, const char* word) {
  for (p = skipBlanks(p); *p != '\0'; p = skipBlanks(p)) {
    const char* end = wordEnd(p);
    if (wordIs(p, end, word)) return skipBlanks(end);
    p = end;
  }
  return nullptr;
}
