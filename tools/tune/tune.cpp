// tune: fits the evaluation script to quiet positions with game results.
//
//   tune OUT DATA... [--epochs N] [--rate R] [--prior P] [--phase] [--only PREFIX]
//
// Reads the PosVal.txt of the directory above this program (the build
// directory), fits every number the static score is linear in (see
// tuner.h) to the positions of the DATA files (written by gendata), and
// writes the script with the fitted numbers to OUT. With --phase, horse,
// cannon and pawn get endgame values of their own; with --only, just the
// numbers whose names start with PREFIX move (the rest stay as they are).
// One
// position in ten is held out and its error reported beside the fitted ones.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "frontend/startup.h"
#include "tune/tuner.h"

namespace {

constexpr int HASH_MB = 1;
constexpr int HELD_OUT_EVERY = 10;

// Every held-out-th sample into `test`, the rest into `train`.
void split(const tune::Dataset& all, tune::Dataset* train, tune::Dataset* test) {
  for (size_t i = 0; i < all.samples.size(); ++i) {
    tune::Dataset& d = i % HELD_OUT_EVERY == 0 ? *test : *train;
    tune::Sample s = all.samples[i];
    const uint32_t first = static_cast<uint32_t>(d.coefficients.size());
    d.coefficients.insert(d.coefficients.end(), all.coefficients.begin() + s.first,
                          all.coefficients.begin() + s.first + s.count);
    s.first = first;
    d.samples.push_back(s);
  }
}

}  // namespace

int main(int argc, char** argv) {
  tune::Settings settings;
  std::vector<const char*> files;
  bool phase = false;
  std::string only;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--epochs") == 0 && i + 1 < argc)
      settings.epochs = std::atoi(argv[++i]);
    else if (std::strcmp(argv[i], "--rate") == 0 && i + 1 < argc)
      settings.rate = std::atof(argv[++i]);
    else if (std::strcmp(argv[i], "--prior") == 0 && i + 1 < argc)
      settings.prior = std::atof(argv[++i]);
    else if (std::strcmp(argv[i], "--phase") == 0)
      phase = true;
    else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
      only = argv[++i];
    else
      files.push_back(argv[i]);
  }
  if (argc < 3 || files.empty()) {
    std::fprintf(stderr, "usage: tune OUT DATA... [--epochs N] [--rate R] [--prior P] [--phase]\n"
                 "          [--only PREFIX]\n");
    return 2;
  }
  const std::string dataDirectory = tune::buildDirectory(argv[0]);
  Board* board = startUpEngine(dataDirectory, HASH_MB);
  if (board == nullptr) return 1;

  std::vector<tune::Param> params = tune::scriptParams(phase);
  params.erase(std::remove_if(params.begin(), params.end(),
                              [&only](const tune::Param& p) { return p.name.rfind(only, 0) != 0; }),
               params.end());
  tune::Dataset all;
  for (const char* f : files) {
    const int refused = tune::readPositions(all, *board, f, params);
    if (refused < 0) std::fprintf(stderr, "tune: cannot read %s\n", f);
    if (refused > 0) std::fprintf(stderr, "tune: %d lines of %s refused\n", refused, f);
  }
  double worstResidual = 0;
  for (const tune::Sample& s : all.samples)
    worstResidual = std::fmax(worstResidual, std::fabs(s.residual));
  std::fprintf(stderr, "tune: %zu positions, %zu numbers, %zu coefficients, largest residual %g\n",
               all.samples.size(), params.size(), all.coefficients.size(), worstResidual);
  if (all.samples.empty()) {
    releaseEngine(board);
    return 1;
  }
  tune::Dataset train, test;
  split(all, &train, &test);
  all = tune::Dataset{};

  std::vector<double> theta(params.size());
  for (size_t i = 0; i < params.size(); ++i) theta[i] = tune::paramValue(params[i]);
  const double k = tune::fitScale(train, theta);
  const double before = tune::meanError(train, theta, k, nullptr);
  const double testBefore = tune::meanError(test, theta, k, nullptr);
  std::fprintf(stderr, "tune: k %.6f, error %.7f (held out %.7f)\n", k, before, testBefore);

  tune::fit(train, params, &theta, k, settings);
  std::vector<int> values(params.size());
  for (size_t i = 0; i < params.size(); ++i) {
    values[i] = static_cast<int>(std::lround(theta[i]));
    theta[i] = values[i];
  }
  const double after = tune::meanError(train, theta, k, nullptr);
  const double testAfter = tune::meanError(test, theta, k, nullptr);
  std::printf("error %.7f -> %.7f, held out %.7f -> %.7f (k %.6f, %zu positions)\n", before,
              after, testBefore, testAfter, k, train.samples.size() + test.samples.size());
  for (size_t i = 0; i < params.size(); ++i)
    if (params[i].kind == tune::ParamKind::Material || params[i].kind == tune::ParamKind::Endgame)
      std::printf("%s %d\n", params[i].name.c_str(), values[i]);

  const std::string original = dataDirectory + "PosVal.txt";
  const bool written = tune::writeScript(original.c_str(), argv[1], params, values);
  if (!written) std::fprintf(stderr, "tune: cannot write %s\n", argv[1]);
  releaseEngine(board);
  return written ? 0 : 1;
}
