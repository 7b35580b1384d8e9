// The engine's net file (TVNN, data/README.md): the float network rounded
// to the engine's integers, written with its header and checksum, read
// back with every field checked, and evaluated the way the engine does.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "train/network.h"

namespace net {

constexpr int NET_HEADER_BYTES = 40;
constexpr uint32_t NET_VERSION = 1;

struct IntNetwork {
  int hidden = 0, buckets = 0, outputScale = 0;
  std::vector<int16_t> weight;     // [1260][H]
  std::vector<int16_t> bias;       // [H]
  std::vector<int16_t> outWeight;  // [B][2H]
  std::vector<int32_t> outBias;    // [B]
};

// Feature weights and biases round(w * QA), output weights round(w * QB),
// output biases round(b * QA * QB); the network is clipped to fit already.
void quantise(const Network& n, int outputScale, IntNetwork* q);
// The float network whose rounding is q: a net file as a starting point.
void dequantise(const IntNetwork& q, Network* n);
uint32_t fnv1a(const uint8_t* bytes, size_t count);
bool writeNetFile(const char* path, const IntNetwork& q);
// False, with the reason in *error, for a file the engine refuses.
bool readNetFile(const char* path, IntNetwork* q, std::string* error);

// The engine's score of the position, side to move's view:
// out * outputScale / (QA * QB), rounded towards zero. *overflow is set
// when an accumulator leaves int16 or the output sum int32.
int integerScore(const IntNetwork& q, const Position& p, bool* overflow = nullptr);

}  // namespace net
