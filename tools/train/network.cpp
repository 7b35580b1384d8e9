#include "train/network.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace net {

bool validShape(int hidden, int buckets) {
  return hidden >= MIN_HIDDEN && hidden <= MAX_HIDDEN && hidden % HIDDEN_STEP == 0 &&
         buckets >= 1 && buckets <= MAX_BUCKETS;
}

void initNetwork(Network* n, int hidden, int buckets, uint64_t seed) {
  n->hidden = hidden;
  n->buckets = buckets;
  n->params.assign(n->size(), 0.0f);
  std::mt19937_64 rng(seed);
  // About 32 inputs on: their sum spreads by a quarter around the bias.
  std::uniform_real_distribution<float> feature(-0.07f, 0.07f);
  for (size_t i = 0; i < n->biasAt(); ++i) n->params[i] = feature(rng);
  for (int i = 0; i < hidden; ++i) n->params[n->biasAt() + i] = 0.5f;
  const float spread = 1.0f / std::sqrt(float(2 * hidden));
  std::uniform_real_distribution<float> out(-spread, spread);
  for (size_t i = n->outWeightAt(); i < n->outBiasAt(); ++i) n->params[i] = out(rng);
}

void clipNetwork(Network* n, size_t first, size_t last) {
  const float feature = float(FEATURE_WEIGHT_MAX) / QA;
  const float outWeight = float(outWeightMax(n->hidden)) / QB;
  const float outBias = float(OUTPUT_SUM_MAX) / (float(QA) * QB);
  float* w = n->params.data();
  const size_t ends[3] = {n->outWeightAt(), n->outBiasAt(), n->size()};
  const float limits[3] = {feature, outWeight, outBias};
  size_t from = 0;
  for (int part = 0; part < 3; ++part) {
    const size_t a = std::max(first, from), b = std::min(last, ends[part]);
    for (size_t i = a; i < b; ++i) w[i] = std::clamp(w[i], -limits[part], limits[part]);
    from = ends[part];
  }
}

float forward(const Network& n, const Position& p, Pass* pass) {
  const int h = n.hidden;
  inputsOf(p, &pass->in);
  pass->bucket = bucketOf(p.count, n.buckets);
  const float* bias = n.params.data() + n.biasAt();
  const float* outWeight = n.params.data() + n.outWeightAt() + size_t(2) * h * pass->bucket;
  float y = n.params[n.outBiasAt() + pass->bucket];
  for (int view = 0; view < 2; ++view) {
    std::vector<float>& acc = pass->acc[view];
    acc.assign(bias, bias + h);
    for (int k = 0; k < pass->in.count; ++k) {
      const float* row = n.params.data() + size_t(pass->in.index[view][k]) * h;
      for (int i = 0; i < h; ++i) acc[i] += row[i];
    }
    const float* w = outWeight + view * h;
    float sum = 0;
    for (int i = 0; i < h; ++i) sum += std::min(std::max(acc[i], 0.0f), 1.0f) * w[i];
    y += sum;
  }
  return y;
}

void backward(const Network& n, const Pass& pass, float dy, float* grad) {
  const int h = n.hidden;
  const size_t outWeight = n.outWeightAt() + size_t(2) * h * pass.bucket;
  grad[n.outBiasAt() + pass.bucket] += dy;
  float dAcc[MAX_HIDDEN];
  for (int view = 0; view < 2; ++view) {
    const std::vector<float>& acc = pass.acc[view];
    const float* w = n.params.data() + outWeight + view * h;
    float* gw = grad + outWeight + view * h;
    float* gBias = grad + n.biasAt();
    for (int i = 0; i < h; ++i) {
      const bool open = acc[i] > 0.0f && acc[i] < 1.0f;
      gw[i] += dy * std::min(std::max(acc[i], 0.0f), 1.0f);
      dAcc[i] = open ? dy * w[i] : 0.0f;
      gBias[i] += dAcc[i];
    }
    for (int k = 0; k < pass.in.count; ++k) {
      float* row = grad + size_t(pass.in.index[view][k]) * h;
      for (int i = 0; i < h; ++i) row[i] += dAcc[i];
    }
  }
}

}  // namespace net
