// train: fits the learned evaluation to TVND records and writes the
// engine's net file.
//
//   train DATA... [--out NET] [--checkpoint FILE] [--resume | --init NET] [--hidden H]
//         [--buckets B] [--scale S] [--lambda L] [--k K] [--epochs N]
//         [--batch N] [--rate R] [--decay D] [--held-out F] [--seed S]
//         [--threads T]
//   train check NET CHECKPOINT DATA... [--count N]
//
// --init starts from the weights of a net file (its shape and scale) instead
// of random ones. Training holds out a share of the positions and reports
// their loss after every epoch; each epoch ends with the checkpoint (float
// weights and Adam's state, which --resume continues from) and the net file,
// rounded to the engine's integers. `check` compares the net file's integer
// score with the checkpoint's float score on the first N positions of the
// data.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "train/netfile.h"
#include "train/trainer.h"

namespace {

constexpr int DEFAULT_CHECK_COUNT = 100000;

struct Arguments {
  net::TrainSettings settings;
  std::vector<const char*> data;
  std::string out = "Network.nnue", checkpoint = "checkpoint.tvnc", init;
  bool resume = false;
  long checkCount = DEFAULT_CHECK_COUNT;
};

int usage() {
  std::fprintf(stderr,
               "usage: train DATA... [--out NET] [--checkpoint FILE] [--resume | --init NET] [--hidden H]\n"
               "             [--buckets B] [--scale S] [--lambda L] [--k K] [--epochs N]\n"
               "             [--batch N] [--rate R] [--decay D] [--held-out F] [--seed S]\n"
               "             [--threads T]\n"
               "       train check NET CHECKPOINT DATA... [--count N]\n");
  return 2;
}

bool number(const char* text, double* v) {
  char* end = nullptr;
  *v = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(*v);
}

// Reads the options; false for an unknown or unreadable one.
bool readArguments(int argc, char** argv, int first, Arguments* a) {
  net::TrainSettings& s = a->settings;
  for (int i = first; i < argc; ++i) {
    const char* word = argv[i];
    if (std::strncmp(word, "--", 2) != 0) {
      a->data.push_back(word);
      continue;
    }
    if (std::strcmp(word, "--resume") == 0) {
      a->resume = true;
      continue;
    }
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (std::strcmp(word, "--out") == 0) {
      a->out = value;
      continue;
    }
    if (std::strcmp(word, "--checkpoint") == 0) {
      a->checkpoint = value;
      continue;
    }
    if (std::strcmp(word, "--init") == 0) {
      a->init = value;
      continue;
    }
    double v = 0;
    if (!number(value, &v)) return false;
    if (std::strcmp(word, "--hidden") == 0) s.hidden = int(v);
    else if (std::strcmp(word, "--buckets") == 0) s.buckets = int(v);
    else if (std::strcmp(word, "--scale") == 0) s.outputScale = int(v);
    else if (std::strcmp(word, "--lambda") == 0) s.lambda = v;
    else if (std::strcmp(word, "--k") == 0) s.k = v;
    else if (std::strcmp(word, "--epochs") == 0) s.epochs = int(v);
    else if (std::strcmp(word, "--batch") == 0) s.batch = int(v);
    else if (std::strcmp(word, "--rate") == 0) s.rate = v;
    else if (std::strcmp(word, "--decay") == 0) s.decay = v;
    else if (std::strcmp(word, "--held-out") == 0) s.heldOut = v;
    else if (std::strcmp(word, "--seed") == 0) s.seed = uint64_t(v);
    else if (std::strcmp(word, "--threads") == 0) s.threads = int(v);
    else if (std::strcmp(word, "--count") == 0) a->checkCount = long(v);
    else return false;
  }
  // Resuming takes its weights from the checkpoint: a net to start from as
  // well would be ignored, so the two together are a usage error.
  if (a->resume && !a->init.empty()) return false;
  return !a->data.empty() && net::validShape(s.hidden, s.buckets) && s.outputScale >= 1 &&
         s.outputScale <= net::MAX_OUTPUT_SCALE && s.lambda >= 0 && s.lambda <= 1 && s.k > 0 &&
         s.batch >= 1 && s.rate > 0 && s.heldOut >= 0 && s.heldOut < 1;
}

// The records of every file, bad ones left out; false when a file is refused.
bool loadData(const std::vector<const char*>& files, std::vector<net::Record>* records) {
  for (const char* f : files) {
    std::string error;
    if (!net::readRecords(f, records, &error)) {
      std::fprintf(stderr, "train: %s %s\n", f, error.c_str());
      return false;
    }
  }
  const size_t refused = net::keepGoodRecords(records);
  if (refused > 0) std::fprintf(stderr, "train: %zu malformed records left out\n", refused);
  if (records->empty()) std::fprintf(stderr, "train: no positions\n");
  return !records->empty();
}

bool writeNet(const net::Network& n, int outputScale, const std::string& path) {
  net::IntNetwork q;
  net::quantise(n, outputScale, &q);
  if (net::writeNetFile(path.c_str(), q)) return true;
  std::fprintf(stderr, "train: cannot write %s\n", path.c_str());
  return false;
}

int train(Arguments& a) {
  net::TrainSettings& s = a.settings;
  std::vector<net::Record> records;
  if (!loadData(a.data, &records)) return 1;
  net::Network n;
  net::Adam adam;
  int done = 0;
  if (a.resume) {
    std::string error;
    if (!net::loadCheckpoint(a.checkpoint.c_str(), &n, &adam, &s.outputScale, &done, &error)) {
      std::fprintf(stderr, "train: %s %s\n", a.checkpoint.c_str(), error.c_str());
      return 1;
    }
    std::fprintf(stderr, "train: resuming after epoch %d (H %d, B %d)\n", done, n.hidden,
                 n.buckets);
  } else if (!a.init.empty()) {
    net::IntNetwork q;
    std::string error;
    if (!net::readNetFile(a.init.c_str(), &q, &error)) {
      std::fprintf(stderr, "train: %s %s\n", a.init.c_str(), error.c_str());
      return 1;
    }
    net::dequantise(q, &n);
    s.outputScale = q.outputScale;
  } else {
    net::initNetwork(&n, s.hidden, s.buckets, s.seed);
  }
  // The held-out positions: the first of a seeded order.
  std::vector<uint32_t> order(records.size());
  std::iota(order.begin(), order.end(), 0u);
  std::mt19937_64 rng(s.seed);
  for (size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[rng() % i]);
  const size_t held = size_t(double(order.size()) * s.heldOut);
  const std::vector<uint32_t> heldOut(order.begin(), order.begin() + long(held));
  std::vector<uint32_t> fitted(order.begin() + long(held), order.end());
  std::printf("train: %zu positions, %zu held out; H %d, B %d, scale %d, lambda %g, k %g\n",
              records.size(), held, n.hidden, n.buckets, s.outputScale, s.lambda, s.k);
  std::printf("epoch %d held out %.6f\n", done, net::meanLoss(n, records, heldOut.data(), held, s));
  std::fflush(stdout);
  for (int epoch = done + 1; epoch <= s.epochs; ++epoch) {
    const double rate = s.rate * std::pow(s.decay, epoch - 1);
    const auto start = std::chrono::steady_clock::now();
    const double loss = net::trainEpoch(&n, &adam, records, &fitted, s, rate, s.seed + epoch);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double heldLoss = net::meanLoss(n, records, heldOut.data(), held, s);
    std::printf("epoch %d loss %.6f held out %.6f rate %.2e %.0f positions/s\n", epoch, loss,
                heldLoss, rate, double(fitted.size()) / std::max(seconds, 1e-9));
    std::fflush(stdout);
    if (!net::saveCheckpoint(a.checkpoint.c_str(), n, adam, s.outputScale, epoch)) {
      std::fprintf(stderr, "train: cannot write %s\n", a.checkpoint.c_str());
      return 1;
    }
    if (!writeNet(n, s.outputScale, a.out)) return 1;
  }
  if (done >= s.epochs && !writeNet(n, s.outputScale, a.out)) return 1;
  std::printf("train: %s written\n", a.out.c_str());
  return 0;
}

// The net file against the checkpoint's float network, position by position.
int check(int argc, char** argv) {
  Arguments a;
  if (argc < 5 || !readArguments(argc, argv, 4, &a)) return usage();
  net::IntNetwork q;
  net::Network n;
  net::Adam adam;
  int scale = 0, epochs = 0;
  std::string error;
  if (!net::readNetFile(argv[2], &q, &error)) {
    std::fprintf(stderr, "train: %s %s\n", argv[2], error.c_str());
    return 1;
  }
  if (!net::loadCheckpoint(argv[3], &n, &adam, &scale, &epochs, &error)) {
    std::fprintf(stderr, "train: %s %s\n", argv[3], error.c_str());
    return 1;
  }
  if (q.hidden != n.hidden || q.buckets != n.buckets || q.outputScale != scale) {
    std::fprintf(stderr, "train: the net file and the checkpoint differ in shape or scale\n");
    return 1;
  }
  std::vector<net::Record> records;
  if (!loadData(a.data, &records)) return 1;
  const size_t count = std::min(records.size(), size_t(std::max(1L, a.checkCount)));
  double sumError = 0, worst = 0, sumSearch = 0;
  bool overflow = false;
  net::Position p;
  for (size_t i = 0; i < count; ++i) {
    net::unpackRecord(records[i], &p);
    const int integer = net::integerScore(q, p, &overflow);
    const double miss = std::fabs(integer - double(net::floatScore(n, p, scale)));
    sumError += miss;
    worst = std::max(worst, miss);
    sumSearch += std::fabs(double(integer - p.score));
  }
  std::printf("check: %zu positions, integer against float score: mean %.3f, largest %.3f;\n"
              "       integer against search score: mean %.1f; %s\n",
              count, sumError / double(count), worst, sumSearch / double(count),
              overflow ? "OVERFLOW in the integer sums" : "no overflow");
  return overflow ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "check") == 0) return check(argc, argv);
  Arguments a;
  if (!readArguments(argc, argv, 1, &a)) return usage();
  return train(a);
}
