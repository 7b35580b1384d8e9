// The engine's text data files (Config.ini, TimeManagement.txt, PosVal.txt)
// are sequences of blank-separated items: label words, whose text is
// skipped, integers, floats, and the closing end mark 333 444 555 666 777.
// The reader stops at the first item that is missing or malformed: every
// later read fails too and leaves its destination untouched, so numbers read
// before the fault stay and nothing is ever left half-read.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int END_MARK_LENGTH = 5;
constexpr int32_t END_MARK[END_MARK_LENGTH] = {333, 444, 555, 666, 777};

class TextReader {
 public:
  explicit TextReader(const char* path);
  ~TextReader();
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  // No read has failed so far (false for a file that could not be opened).
  bool good() const { return file_ != nullptr && !failed_; }

  bool skipLabels(int count);
  bool readInt(int32_t* out);
  bool readInts(int32_t* out, int count);
  bool readFloat(float* out);
  // Reads five integers; true when they are the end mark.
  bool readEndMark();

 private:
  // Reads the next blank-separated word into token_; false at the end.
  bool nextToken();
  bool fail(const char* expected);

  std::FILE* file_;
  const char* path_;
  bool failed_ = false;
  bool tokenTooLong_ = false;
  int itemNumber_ = 0;
  char token_[64];
};
