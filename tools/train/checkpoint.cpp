// Checkpoints of the trainer: "TVNC", version, hidden, buckets, output
// scale, epochs done, Adam's step (two words), then the parameters and
// Adam's two moments as floats. Written beside the target and renamed, so
// that a killed run leaves the last whole checkpoint.
#include <cstdio>
#include <cstring>
#include <string>

#include "train/bytes.h"
#include "train/trainer.h"

namespace net {
namespace {

constexpr uint8_t MAGIC[4] = {'T', 'V', 'N', 'C'};
constexpr uint32_t CHECKPOINT_VERSION = 1;
constexpr int CHECKPOINT_HEADER_BYTES = 32;

}  // namespace

bool saveCheckpoint(const char* path, const Network& n, const Adam& adam, int outputScale,
                    int epochs) {
  uint8_t h[CHECKPOINT_HEADER_BYTES];
  std::memcpy(h, MAGIC, 4);
  const uint32_t fields[7] = {CHECKPOINT_VERSION, uint32_t(n.hidden), uint32_t(n.buckets),
                              uint32_t(outputScale), uint32_t(epochs), uint32_t(adam.step),
                              uint32_t(uint64_t(adam.step) >> 32)};
  for (int i = 0; i < 7; ++i) putLittle32(h + 4 + 4 * i, fields[i]);
  const std::string part = std::string(path) + ".part";
  std::FILE* out = std::fopen(part.c_str(), "wb");
  if (out == nullptr) return false;
  const size_t count = n.size();
  bool ok = std::fwrite(h, 1, sizeof h, out) == sizeof h &&
            std::fwrite(n.params.data(), sizeof(float), count, out) == count &&
            adam.m.size() == count && std::fwrite(adam.m.data(), sizeof(float), count, out) == count &&
            std::fwrite(adam.v.data(), sizeof(float), count, out) == count;
  ok = std::fclose(out) == 0 && ok;
  return ok && std::rename(part.c_str(), path) == 0;
}

bool loadCheckpoint(const char* path, Network* n, Adam* adam, int* outputScale, int* epochs,
                    std::string* error) {
  std::FILE* in = std::fopen(path, "rb");
  if (in == nullptr) {
    *error = "cannot be read";
    return false;
  }
  uint8_t h[CHECKPOINT_HEADER_BYTES];
  const bool header = std::fread(h, 1, sizeof h, in) == sizeof h && std::memcmp(h, MAGIC, 4) == 0 &&
                      getLittle32(h + 4) == CHECKPOINT_VERSION;
  const int hidden = header ? int(getLittle32(h + 8)) : 0;
  const int buckets = header ? int(getLittle32(h + 12)) : 0;
  const uint32_t scale = header ? getLittle32(h + 16) : 0;
  if (!header || !validShape(hidden, buckets) || scale < 1 || scale > MAX_OUTPUT_SCALE) {
    *error = "is no checkpoint of this trainer";
    std::fclose(in);
    return false;
  }
  n->hidden = hidden;
  n->buckets = buckets;
  const size_t count = n->size();
  n->params.resize(count);
  adam->m.resize(count);
  adam->v.resize(count);
  const bool whole = std::fread(n->params.data(), sizeof(float), count, in) == count &&
                     std::fread(adam->m.data(), sizeof(float), count, in) == count &&
                     std::fread(adam->v.data(), sizeof(float), count, in) == count &&
                     std::fgetc(in) == EOF;
  std::fclose(in);
  if (!whole) {
    *error = "has the wrong length";
    return false;
  }
  *outputScale = int(scale);
  *epochs = int(getLittle32(h + 20));
  adam->step = int64_t(uint64_t(getLittle32(h + 24)) | uint64_t(getLittle32(h + 28)) << 32);
  return true;
}

}  // namespace net
