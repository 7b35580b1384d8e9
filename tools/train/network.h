// The learned evaluation in floating point, as the trainer fits it. Its
// layers are the engine's (data/README.md): an accumulator of H values per
// view from shared weights, a clipped ReLU, and one output per bucket of
// the piece count over both views, the mover's first. A float value 1 of
// the accumulator is QA in the engine's integers, an output weight 1 is
// QB, and the output y is the score y * outputScale.
#pragma once

#include <cstdint>
#include <vector>

#include "train/features.h"

namespace net {

constexpr int QA = 255, QB = 64;
constexpr int MIN_HIDDEN = 16, MAX_HIDDEN = 1024, HIDDEN_STEP = 16;
constexpr int MAX_BUCKETS = 16;
constexpr int MAX_OUTPUT_SCALE = 10000;

// Largest integers the parameters may take. An int16 accumulator holds its
// bias and up to 32 weights, and one more while a capture is updated, so
// no sum of 34 of them may leave int16. The output sum must stay within
// int32 with room to spare for its bias.
constexpr int FEATURE_WEIGHT_MAX = INT16_MAX / (MAX_PIECES + 2);  // 963
constexpr int32_t OUTPUT_SUM_MAX = INT32_MAX / 2;
inline int outWeightMax(int hidden) {
  const int32_t bound = OUTPUT_SUM_MAX / (QA * 2 * hidden);
  return bound < INT16_MAX ? static_cast<int>(bound) : INT16_MAX;
}

struct Network {
  int hidden = 0, buckets = 0;
  // Every parameter in the net file's order: weight[1260][H], bias[H],
  // outWeight[B][2H], outBias[B].
  std::vector<float> params;

  size_t biasAt() const { return size_t(INPUTS) * hidden; }
  size_t outWeightAt() const { return biasAt() + hidden; }
  size_t outBiasAt() const { return outWeightAt() + size_t(2) * hidden * buckets; }
  size_t size() const { return outBiasAt() + buckets; }
};

bool validShape(int hidden, int buckets);
// Small random weights; every value of the accumulator starts half on.
void initNetwork(Network* n, int hidden, int buckets, uint64_t seed);
// Keeps every parameter within what its integer can hold.
void clipNetwork(Network* n, size_t first, size_t last);

// A position's values on the way through the network.
struct Pass {
  Inputs in;
  int bucket = 0;
  std::vector<float> acc[2];  // before the clipped ReLU, [MOVER or OTHER]
};

// The output y of the position; the pass keeps what backward needs.
float forward(const Network& n, const Position& p, Pass* pass);
// Adds to grad (one value per parameter) the derivative of a loss whose
// derivative by y is dy.
void backward(const Network& n, const Pass& pass, float dy, float* grad);

}  // namespace net
