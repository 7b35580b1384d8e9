// The evaluation tuner: its model against the engine's own evaluation, its
// gradient against finite differences, and the script it writes.
#include <cstdio>
#include <random>

#include "common/engine.h"
#include "common/process.h"
#include "config/evalscript.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"
#include "eval/script.h"
#include "tune/tuner.h"

namespace {

struct TunerTest : ::testing::Test {
  void SetUp() override {
    kit::useShippedScript();
    searchOptions.knowledgeLevel = 2;  // every term
    params = tune::scriptParams(true);
    for (const tune::Param& p : params) start.push_back(tune::paramValue(p));
    kit::randomGames(8, 120, 77, [this](Board& b) { fens.push_back(kit::toFen(b)); });
    std::mt19937 rng(5);
    for (const std::string& fen : fens)
      tune::addPosition(data, *kit::boardFromFen(fen), 0.5f * float(rng() % 3), params, start);
  }
  void TearDown() override {
    apply(start);
    searchOptions.knowledgeLevel = knowledge;
  }
  void apply(const std::vector<int>& values) {
    for (size_t i = 0; i < params.size(); ++i) tune::setParam(params[i], values[i]);
    deriveScoreTables();
    buildMoveDelta();
  }
  const uint8_t knowledge = searchOptions.knowledgeLevel;
  std::vector<tune::Param> params;
  std::vector<int> start;
  std::vector<std::string> fens;
  tune::Dataset data;
};

// The model's score under new numbers is the engine's score once those
// numbers are loaded: every term the tuner sees is linear and complete (to
// the unit the engine rounds the endgame's share of the values to).
TEST_F(TunerTest, ModelScoresAreTheEnginesUnderNewNumbers) {
  ASSERT_GT(params.size(), 250u);
  std::mt19937 rng(11);
  std::vector<int> changed;
  for (size_t i = 0; i < params.size(); ++i)
    changed.push_back(std::clamp(start[i] + int(rng() % 61) - 30, params[i].low, params[i].high));
  apply(changed);
  const std::vector<double> theta(changed.begin(), changed.end());
  for (size_t i = 0; i < fens.size(); ++i) {
    auto b = kit::boardFromFen(fens[i]);
    int threats = 0;
    const int s = evaluate(*b, 0, -30000, 30000, &threats);
    ASSERT_NEAR(b->sideToMove == RED ? s : -s, tune::sampleScore(data, i, theta), 1.0) << fens[i];
  }
}

TEST_F(TunerTest, GradientMatchesFiniteDifferences) {
  std::vector<double> theta(start.begin(), start.end()), gradient;
  const double k = 0.004, h = 1e-3;
  tune::meanError(data, theta, k, &gradient);
  int checked = 0;
  for (size_t j = 0; j < theta.size(); ++j) {
    if (gradient[j] == 0) continue;
    std::vector<double> up = theta, down = theta;
    up[j] += h, down[j] -= h;
    const double numeric =
        (tune::meanError(data, up, k, nullptr) - tune::meanError(data, down, k, nullptr)) / (2 * h);
    EXPECT_NEAR(gradient[j], numeric, 1e-6 + 1e-4 * std::fabs(numeric)) << params[j].name;
    ++checked;
  }
  EXPECT_GT(checked, 100);
  EXPECT_GT(tune::fitScale(data, theta), 0);
}

// Unchanged numbers give the script back byte for byte; changed ones are
// read back by the engine's reader, everything else as it was.
TEST_F(TunerTest, WrittenScriptReadsBackWithTheNewNumbers) {
  const std::string shipped = TOLVANE_DATA_DIR "/PosVal.txt";
  const std::string out = TOLVANE_BUILD_DIR "/tuned_test.txt";
  ASSERT_TRUE(tune::writeScript(shipped.c_str(), out.c_str(), params, start));
  EXPECT_TRUE(kit::readFile(out) == kit::readFile(shipped));

  std::vector<int> changed = start;
  for (size_t i = 0; i < params.size(); i += 7) changed[i] = std::min(params[i].high, start[i] + 3);
  ASSERT_TRUE(tune::writeScript(shipped.c_str(), out.c_str(), params, changed));
  ASSERT_TRUE(readEvaluationScript(out.c_str()).endMarkRight);
  deriveScriptTables();
  for (size_t i = 0; i < params.size(); ++i) EXPECT_EQ(tune::paramValue(params[i]), changed[i]) << params[i].name;
  ASSERT_TRUE(readEvaluationScript(shipped.c_str()).endMarkRight);
  deriveScriptTables();
  std::remove(out.c_str());
}

}  // namespace
