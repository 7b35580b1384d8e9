#include "config/searchoptions.h"

#include <cstdio>
#include <cstring>

#include "config/optionfields.h"

SearchOptions searchOptions;

bool loadSearchOptions(SearchOptions* options, const char* path) {
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  uint8_t image[sizeof(SearchOptions)];
  const size_t length = std::fread(image, 1, sizeof image, f);
  std::fclose(f);
  // A short image fills only its own length; the rest keeps its contents.
  std::memcpy(options, image, length);
  repairSearchOptions(options, length, path);
  return true;
}
