// Nets for the tests of the learned evaluation: random ones of any size in
// the file format, and the net's score worked out from the squares alone.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "board/board.h"

namespace kit {

struct TestNet {
  int hidden, buckets, scale;
  std::vector<int16_t> weight;     // [1260][hidden]
  std::vector<int16_t> bias;       // [hidden]
  std::vector<int16_t> outWeight;  // [buckets][2 * hidden]
  std::vector<int32_t> outBias;    // [buckets]
};

// Weights small enough that no 16- or 32-bit sum can wrap, with activations
// on both sides of the clipping range.
TestNet randomNet(int hidden, int buckets, unsigned seed);
// The file: header, then the payload.
std::string netImage(const TestNet& net);
// Writes the image to a file and loads it as the engine's net (EXPECTs it to load).
void loadTestNet(const TestNet& net);

// From the squares: the view's accumulator (side BLACK or RED) and the net's
// score for the side to move, in 64-bit sums, clamped to +-limit.
std::vector<int64_t> referenceAccumulator(const TestNet& net, const Board& b, int view);
int referenceScore(const TestNet& net, const Board& b, int limit);

}  // namespace kit
