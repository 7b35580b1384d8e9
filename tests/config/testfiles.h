// Helpers of the configuration tests: temporary files and the engine's
// start-up tables.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "board/tables.h"
#include "board/zobrist.h"

// A file in the temporary directory, removed when the object goes.
class TempFile {
 public:
  explicit TempFile(const std::string& content = "", const char* suffix = "") {
    char name[] = "/tmp/tolvane_config_XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    std::remove(name);
    path_ = std::string(name) + suffix;
    write(content);
  }
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  void write(const std::string& content) const {
    std::ofstream out(path_, std::ios::binary);
    out << content;
  }
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

inline std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The piece tables and the keys the evaluation-script loader needs.
inline void buildStartupTables() {
  static const bool built = [] {
    buildPieceTables();
    initZobrist();
    return true;
  }();
  (void)built;
}

inline int countOccurrences(const std::string& text, const std::string& word) {
  int n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}
