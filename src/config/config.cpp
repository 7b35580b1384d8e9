#include "config/config.h"

#include <cstdio>

#include "config/textreader.h"

namespace {

void checkHashSize(const char* path, int* sizeMb) {
  int fixed = *sizeMb;
  if (*sizeMb <= 0)
    fixed = HASH_DEFAULT_MB;
  else if (*sizeMb < HASH_MIN_MB)
    fixed = HASH_MIN_MB;
  else if (*sizeMb > HASH_MAX_MB)
    fixed = HASH_MAX_MB;
  if (fixed == *sizeMb) return;
  std::fprintf(stderr, "%s: hash size %d MB is outside %d..%d; using %d MB\n",
               path, *sizeMb, HASH_MIN_MB, HASH_MAX_MB, fixed);
  *sizeMb = fixed;
}

}  // namespace

bool loadConfig(const char* path, int* hashSizeMb) {
  TextReader in(path);
  if (!in.isOpen()) return false;
  int32_t size = 0, unusedSetting = 0;
  in.skipLabels(1);
  if (in.readInt(&size)) {
    *hashSizeMb = size;
    checkHashSize(path, hashSizeMb);
  }
  in.skipLabels(1);
  in.readInt(&unusedSetting);
  return in.readEndMark();
}
