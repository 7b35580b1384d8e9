#include "train/trainer.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <thread>

namespace net {
namespace {

constexpr double BETA1 = 0.9, BETA2 = 0.999, EPSILON = 1e-8;
constexpr int MAX_THREADS = 64;

inline double sigmoid(double x) { return 1.0 / (1.0 + std::exp(-x)); }

// work(t) for t in [0, threads), the first on the calling thread.
void inParallel(int threads, const std::function<void(int)>& work) {
  std::vector<std::thread> helpers;
  for (int t = 1; t < threads; ++t) helpers.emplace_back(work, t);
  work(0);
  for (std::thread& h : helpers) h.join();
}

int threadCount(const TrainSettings& s) { return std::clamp(s.threads, 1, MAX_THREADS); }

// Part t of `count` items split among `parts`.
void share(size_t count, int parts, int t, size_t* first, size_t* last) {
  *first = count * t / parts;
  *last = count * (t + 1) / parts;
}

// Loss of one position; with grad, its derivative by the parameters times
// `weight` is added there.
double positionLoss(const Network& n, const Position& p, const TrainSettings& s, Pass* pass,
                    float* grad, double weight) {
  const double y = forward(n, p, pass);
  const double scale = s.outputScale * s.k;
  const double predicted = sigmoid(y * scale);
  const double miss = predicted - targetOf(p, s);
  if (grad != nullptr)
    backward(n, *pass, float(weight * 2 * miss * predicted * (1 - predicted) * scale), grad);
  return miss * miss;
}

}  // namespace

double targetOf(const Position& p, const TrainSettings& s) {
  const double redResult = p.result / 2.0;
  const double result = p.side == 1 ? redResult : 1 - redResult;
  return s.lambda * sigmoid(p.score * s.k) + (1 - s.lambda) * result;
}

float floatScore(const Network& n, const Position& p, int outputScale) {
  Pass pass;
  return forward(n, p, &pass) * float(outputScale);
}

double meanLoss(const Network& n, const std::vector<Record>& records, const uint32_t* idx,
                size_t count, const TrainSettings& s) {
  if (count == 0) return 0;
  const int threads = threadCount(s);
  std::vector<double> sums(threads, 0.0);
  inParallel(threads, [&](int t) {
    size_t first, last;
    share(count, threads, t, &first, &last);
    Pass pass;
    Position p;
    for (size_t i = first; i < last; ++i) {
      unpackRecord(records[idx[i]], &p);
      sums[t] += positionLoss(n, p, s, &pass, nullptr, 0);
    }
  });
  double total = 0;
  for (double v : sums) total += v;
  return total / double(count);
}

double trainEpoch(Network* n, Adam* adam, const std::vector<Record>& records,
                  std::vector<uint32_t>* order, const TrainSettings& s, double rate,
                  uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::vector<uint32_t>& o = *order;
  for (size_t i = o.size(); i > 1; --i) std::swap(o[i - 1], o[rng() % i]);
  const int threads = threadCount(s);
  const size_t params = n->size();
  if (adam->m.size() != params) {
    adam->m.assign(params, 0.0f);
    adam->v.assign(params, 0.0f);
  }
  std::vector<std::vector<float>> grads(threads, std::vector<float>(params));
  std::vector<double> sums(threads, 0.0);
  const size_t batch = size_t(std::max(1, s.batch));
  for (size_t start = 0; start < o.size(); start += batch) {
    const size_t count = std::min(batch, o.size() - start);
    inParallel(threads, [&](int t) {
      std::fill(grads[t].begin(), grads[t].end(), 0.0f);
      size_t first, last;
      share(count, threads, t, &first, &last);
      Pass pass;
      Position p;
      for (size_t i = start + first; i < start + last; ++i) {
        unpackRecord(records[o[i]], &p);
        sums[t] += positionLoss(*n, p, s, &pass, grads[t].data(), 1.0 / double(count));
      }
    });
    ++adam->step;
    const double c1 = 1 - std::pow(BETA1, double(adam->step));
    const double c2 = 1 - std::pow(BETA2, double(adam->step));
    inParallel(threads, [&](int t) {
      size_t first, last;
      share(params, threads, t, &first, &last);
      float* w = n->params.data();
      for (size_t i = first; i < last; ++i) {
        double g = 0;
        for (int u = 0; u < threads; ++u) g += grads[u][i];
        adam->m[i] = float(BETA1 * adam->m[i] + (1 - BETA1) * g);
        adam->v[i] = float(BETA2 * adam->v[i] + (1 - BETA2) * g * g);
        w[i] -= float(rate * (adam->m[i] / c1) / (std::sqrt(adam->v[i] / c2) + EPSILON));
      }
      clipNetwork(n, first, last);
    });
  }
  double total = 0;
  for (double v : sums) total += v;
  return o.empty() ? 0 : total / double(o.size());
}

}  // namespace net
