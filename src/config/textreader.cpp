#include "config/textreader.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

TextReader::TextReader(const char* path)
    : file_(std::fopen(path, "r")), path_(path) {
  token_[0] = '\0';
}

TextReader::~TextReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool TextReader::nextToken() {
  int c;
  do {
    c = std::fgetc(file_);
  } while (c != EOF && std::isspace(c));
  if (c == EOF) return false;
  int n = 0;
  tokenTooLong_ = false;
  while (c != EOF && !std::isspace(c)) {
    if (n < static_cast<int>(sizeof token_) - 1)
      token_[n++] = static_cast<char>(c);
    else
      tokenTooLong_ = true;
    c = std::fgetc(file_);
  }
  token_[n] = '\0';
  ++itemNumber_;
  return true;
}

bool TextReader::fail(const char* expected) {
  if (!failed_ && file_ != nullptr) {
    if (std::feof(file_) && token_[0] == '\0')
      std::fprintf(stderr, "%s: the file ends before item %d (%s expected)\n",
                   path_, itemNumber_ + 1, expected);
    else
      std::fprintf(stderr, "%s: item %d \"%s\" is not %s\n", path_,
                   itemNumber_, token_, expected);
  }
  failed_ = true;
  return false;
}

bool TextReader::skipLabels(int count) {
  for (int i = 0; i < count; ++i) {
    if (!good()) return false;
    if (!nextToken()) {
      token_[0] = '\0';
      return fail("a label");
    }
  }
  return true;
}

bool TextReader::readInt(int32_t* out) {
  if (!good()) return false;
  if (!nextToken()) {
    token_[0] = '\0';
    return fail("an integer");
  }
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(token_, &end, 10);
  if (tokenTooLong_ || end == token_ || *end != '\0' || errno != 0 ||
      v < INT32_MIN || v > INT32_MAX)
    return fail("an integer");
  *out = static_cast<int32_t>(v);
  return true;
}

bool TextReader::readInts(int32_t* out, int count) {
  for (int i = 0; i < count; ++i)
    if (!readInt(out + i)) return false;
  return true;
}

bool TextReader::readFloat(float* out) {
  if (!good()) return false;
  if (!nextToken()) {
    token_[0] = '\0';
    return fail("a number");
  }
  char* end = nullptr;
  errno = 0;
  const float v = std::strtof(token_, &end);
  if (tokenTooLong_ || end == token_ || *end != '\0' || errno != 0 ||
      !std::isfinite(v))
    return fail("a number");
  *out = v;
  return true;
}

bool TextReader::readEndMark() {
  bool right = true;
  for (int i = 0; i < END_MARK_LENGTH; ++i) {
    int32_t v = 0;
    if (!readInt(&v)) return false;
    if (v != END_MARK[i]) right = false;
  }
  if (!right)
    std::fprintf(stderr, "%s: the end mark is not 333 444 555 666 777\n", path_);
  return right;
}
