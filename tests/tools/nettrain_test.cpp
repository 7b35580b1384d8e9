// The trainer of the learned evaluation: it learns material on positions
// of random games; the net file holds what it learnt, the engine's integer
// score follows the float one, the clipped weights keep the integer sums in
// range, and damaged net files and checkpoints are refused.
#include <cmath>
#include <cstring>

#include "common/engine.h"
#include "common/process.h"
#include "train/netfile.h"
#include "train/trainer.h"
#include "tune/netdata.h"

namespace {

constexpr int MATERIAL[net::PIECE_TYPES] = {0, 120, 120, 270, 600, 285, 30};

struct NetTrainer : ::testing::Test {
  static void SetUpTestSuite() {
    kit::randomGames(30, 150, 13, [](Board& b) {
      net::Position p;
      tune::positionOf(b, &p);
      for (int i = 0; i < p.count; ++i) {
        const bool mover = (p.piece[i] >= net::RED_PIECE) == (p.side == 1);
        p.score += (mover ? 1 : -1) * MATERIAL[p.piece[i] % net::RED_PIECE];
      }
      net::Record r;
      net::packRecord(p, &r);
      records.push_back(r);
    });
    settings.hidden = 32;
    settings.buckets = 2;
    settings.lambda = 1;
    settings.batch = 64;
    settings.rate = 0.005;
    all.resize(records.size());
    for (size_t i = 0; i < all.size(); ++i) all[i] = uint32_t(i);
    net::initNetwork(&network, settings.hidden, settings.buckets, 1);
    before = net::meanLoss(network, records, all.data(), all.size(), settings);
    std::vector<uint32_t> order = all;
    for (int epoch = 1; epoch <= 6; ++epoch)
      net::trainEpoch(&network, &adam, records, &order, settings, settings.rate, epoch);
    after = net::meanLoss(network, records, all.data(), all.size(), settings);
  }
  static inline std::vector<net::Record> records;
  static inline std::vector<uint32_t> all;
  static inline net::TrainSettings settings;
  static inline net::Network network;
  static inline net::Adam adam;
  static inline double before = 0, after = 0;
  kit::TempDir dir;
};

TEST_F(NetTrainer, LearnsMaterial) {
  ASSERT_GT(records.size(), 3000u);
  EXPECT_LT(after, before / 4) << before;
}

// The integer score is the float score of the rounded weights, truncated;
// against the float network it misses by no more than the rounding allows:
// each accumulator by (pieces + 1) / 2 units of QA, each output weight by
// half a unit of QB, the output bias by half a unit of QA * QB.
TEST_F(NetTrainer, NetFileHoldsTheNetworkAndScoresAsTheFloatOneWithinRounding) {
  net::IntNetwork q, back;
  net::quantise(network, settings.outputScale, &q);
  const std::string path = dir.file("Network.nnue");
  ASSERT_TRUE(net::writeNetFile(path.c_str(), q));
  std::string error;
  ASSERT_TRUE(net::readNetFile(path.c_str(), &back, &error)) << error;
  EXPECT_TRUE(back.weight == q.weight && back.bias == q.bias && back.outWeight == q.outWeight &&
              back.outBias == q.outBias && back.outputScale == q.outputScale);
  net::Network rounded = network;
  float* w = rounded.params.data();
  for (size_t i = 0; i < q.weight.size(); ++i) w[i] = float(q.weight[i]) / net::QA;
  for (int i = 0; i < q.hidden; ++i) w[rounded.biasAt() + i] = float(q.bias[i]) / net::QA;
  for (size_t i = 0; i < q.outWeight.size(); ++i) w[rounded.outWeightAt() + i] = float(q.outWeight[i]) / net::QB;
  for (int b = 0; b < q.buckets; ++b) w[rounded.outBiasAt() + b] = float(q.outBias[b]) / (net::QA * net::QB);
  const int scale = settings.outputScale;
  for (const net::Record& r : records) {
    net::Position p;
    net::unpackRecord(r, &p);
    bool overflow = false;
    const int integer = net::integerScore(back, p, &overflow);
    ASSERT_FALSE(overflow);
    ASSERT_NEAR(integer, net::floatScore(rounded, p, scale), 1.01);
    const float* out = network.params.data() + network.outWeightAt() +
                       2 * network.hidden * net::bucketOf(p.count, network.buckets);
    double bound = 0.5 / (net::QA * net::QB);
    for (int i = 0; i < 2 * network.hidden; ++i)
      bound += 0.5 / net::QB + std::fabs(out[i]) * (p.count + 1) * 0.5 / net::QA;
    ASSERT_NEAR(integer, net::floatScore(network, p, scale), scale * bound + 1);
  }
}

TEST_F(NetTrainer, DamagedNetFilesAreRefused) {
  net::IntNetwork q, back;
  net::quantise(network, settings.outputScale, &q);
  const std::string path = dir.file("Network.nnue");
  ASSERT_TRUE(net::writeNetFile(path.c_str(), q));
  const std::string whole = kit::readFile(path);
  auto with = [&whole](size_t at, uint32_t v) {
    std::string s = whole;
    for (int i = 0; i < 4; ++i) s[at + i] = char(v >> (8 * i));
    return s;
  };
  const std::vector<std::string> damaged = {
      "", "TVNN", with(0, 0x4E4E5654 + 1), with(4, 2), with(8, 1261), with(12, 17), with(12, 2048),
      with(16, 0), with(16, 17), with(20, 256), with(24, 63), with(28, 0), with(28, 10001),
      with(32, 0), with(36, 0), whole.substr(0, whole.size() - 1), whole + "x",
      whole.substr(0, 100) + char(whole[100] ^ 1) + whole.substr(101)};
  for (size_t i = 0; i < damaged.size(); ++i) {
    dir.write("bad.nnue", damaged[i]);
    std::string error;
    EXPECT_FALSE(net::readNetFile(dir.file("bad.nnue").c_str(), &back, &error)) << i;
    EXPECT_FALSE(error.empty());
  }
}

// Every parameter at its limit, all one sign: on a full board the
// accumulators and the output sum still fit their integers.
TEST_F(NetTrainer, ClippedNetworkCannotOverflow) {
  net::Position start;
  tune::positionOf(*kit::boardFromFen(START_FEN), &start);
  for (float sign : {1.0f, -1.0f}) {
    net::Network n;
    net::initNetwork(&n, net::MAX_HIDDEN, 1, 1);
    for (float& w : n.params) w = sign * 1e6f;
    net::clipNetwork(&n, 0, n.size());
    net::IntNetwork q;
    net::quantise(n, net::MAX_OUTPUT_SCALE, &q);
    EXPECT_EQ(q.weight[0], sign * net::FEATURE_WEIGHT_MAX);
    bool overflow = false;
    net::integerScore(q, start, &overflow);
    EXPECT_FALSE(overflow);
    EXPECT_LE(net::FEATURE_WEIGHT_MAX * (net::MAX_PIECES + 2), INT16_MAX);
  }
}

TEST_F(NetTrainer, CheckpointsComeBackOrAreRefused) {
  const std::string path = dir.file("checkpoint.tvnc");
  ASSERT_TRUE(net::saveCheckpoint(path.c_str(), network, adam, 321, 6));
  net::Network n;
  net::Adam a;
  int scale = 0, epochs = 0;
  std::string error;
  ASSERT_TRUE(net::loadCheckpoint(path.c_str(), &n, &a, &scale, &epochs, &error)) << error;
  EXPECT_TRUE(n.params == network.params && a.m == adam.m && a.v == adam.v);
  EXPECT_EQ(a.step, adam.step);
  EXPECT_EQ(scale, 321);
  EXPECT_EQ(epochs, 6);
  const std::string whole = kit::readFile(path);
  for (const std::string& text : {whole.substr(0, whole.size() - 4), whole + "x", std::string("TVNC"),
                                   whole.substr(0, 8) + std::string("\21\0\0\0", 4) + whole.substr(12)}) {
    dir.write("bad.tvnc", text);
    EXPECT_FALSE(net::loadCheckpoint(dir.file("bad.tvnc").c_str(), &n, &a, &scale, &epochs, &error));
  }
}

}  // namespace
