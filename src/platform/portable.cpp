// What every host shares: the engine clock and splitting a path.
#include <chrono>

#include "platform/platform.h"

namespace {

const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();

}  // namespace

int64_t engineClockMs() {
  const auto elapsed = std::chrono::steady_clock::now() - processStart;
  return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

int splitPath(const std::string& path, std::string* directory, std::string* fileName) {
  const size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) {
    directory->clear();
    *fileName = path;
    return -1;
  }
  *directory = path.substr(0, cut + 1);
  *fileName = path.substr(cut + 1);
  return static_cast<int>(cut);
}
