#include "config/optiontext.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "config/optionfields.h"

namespace {

std::string lineError(const char* path, int lineNumber, const std::string& what) {
  return std::string(path) + ":" + std::to_string(lineNumber) + ": " + what;
}

// Strict decimal integer: the whole word, within 32 bits.
bool parseInt(const std::string& word, int32_t* out) {
  if (word.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(word.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX) return false;
  *out = static_cast<int32_t>(v);
  return true;
}

}  // namespace

bool parseOptionText(const char* path, SearchOptions* options, std::string* error) {
  std::memset(options, 0, sizeof *options);
  std::ifstream in(path);
  if (!in) {
    *error = std::string(path) + ": cannot be opened";
    return false;
  }
  std::vector<bool> seen(OPTION_FIELD_COUNT, false);
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string name, value, extra;
    if (!(words >> name)) continue;
    const OptionField* field = findOptionField(name.c_str());
    if (field == nullptr) {
      *error = lineError(path, lineNumber, "unknown option \"" + name + "\"");
      return false;
    }
    const int index = static_cast<int>(field - OPTION_FIELDS);
    int32_t v = 0;
    if (!(words >> value) || !parseInt(value, &v)) {
      *error = lineError(path, lineNumber, name + " needs an integer value");
      return false;
    }
    if (words >> extra) {
      *error = lineError(path, lineNumber, "unexpected \"" + extra + "\" after " + name);
      return false;
    }
    if (v < field->low || v > field->high) {
      *error = lineError(path, lineNumber,
                         name + " " + value + " is outside " + std::to_string(field->low) +
                             ".." + std::to_string(field->high));
      return false;
    }
    if (seen[index]) {
      *error = lineError(path, lineNumber, name + " is given twice");
      return false;
    }
    seen[index] = true;
    setOptionField(options, *field, v);
  }
  return true;
}

bool writeOptionImage(const SearchOptions& options, const char* path) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  const bool whole = std::fwrite(&options, 1, sizeof options, f) == sizeof options;
  const bool closed = std::fclose(f) == 0;
  if (!(whole && closed)) std::remove(path);
  return whole && closed;
}
