// The tools beside the engine: the learned evaluation's records, inputs,
// chunks and trainer (the inputs' squares are also judged by the engine's
// accumulators in the eval tests, damaged net files by the config tests), and
// the evaluation tuner's model, gradient and written script.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <set>

#include "common/engine.h"
#include "common/process.h"
#include "config/evalscript.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"
#include "eval/script.h"
#include "train/features.h"
#include "train/netfile.h"
#include "train/records.h"
#include "train/trainer.h"
#include "tune/netdata.h"
#include "tune/tuner.h"

namespace {

// The side and the pieces on their squares, in any order: what a record keeps.
std::vector<int> piecesOf(const net::Position& p) {
  std::vector<int> out{p.side};
  for (int i = 0; i < p.count; ++i) out.push_back(p.square[i] * 16 + p.piece[i]);
  std::sort(out.begin() + 1, out.end());
  return out;
}

net::Position positionOf(const std::string& fen) {
  net::Position p;
  tune::positionOf(*kit::boardFromFen(fen), &p);
  return p;
}

std::vector<int> inputs(const net::Position& p, int view) {
  net::Inputs in;
  net::inputsOf(p, &in);
  std::vector<int> out(in.index[view], in.index[view] + in.count);
  std::sort(out.begin(), out.end());
  return out;
}

TEST(NetRecords, PositionsOfRandomGamesComeBackWhole) {
  std::mt19937 rng(3);
  int seen = 0;
  kit::randomGames(6, 160, 41, [&](Board& b) {
    net::Position p;
    tune::positionOf(b, &p);
    p.score = int(rng() % 80001) - 40000, p.result = int(rng() % 3), p.ply = int(rng() % 70000);
    net::Record r;
    net::packRecord(p, &r);
    net::Position back;
    ASSERT_TRUE(net::unpackRecord(r, &back));
    ASSERT_EQ(piecesOf(back), piecesOf(p)) << kit::toFen(b);
    EXPECT_TRUE(back.score == std::clamp(p.score, -32768, 32767) && back.result == p.result &&
                back.ply == std::min(p.ply, 65535)) << back.score << " " << back.result << " " << back.ply;
    ++seen;
  });
  EXPECT_GT(seen, 500);
}

TEST(NetRecords, MalformedRecordsAndFilesAreRefused) {
  net::Record good;
  net::packRecord(positionOf("3k5/9/9/9/9/9/9/9/9/R3K4 w"), &good);
  const std::vector<std::pair<int, uint8_t>> faults = {
      {11, 0x04},  // square 90
      {12, 0x0E},  // piece code 14 (the first piece)
      {13, 0x10},  // a fourth piece's code with three squares occupied
      {28, 2},     // side
      {29, 3},     // result
      {34, 1}};    // spare
  for (auto [at, bits] : faults) {
    net::Record r = good;
    r.bytes[at] |= bits;
    net::Position p;
    EXPECT_FALSE(net::unpackRecord(r, &p)) << at;
  }
  // 33 pieces: every square of the first 33 occupied.
  net::Record full = good;
  for (int i = 0; i < 12; ++i) full.bytes[i] = i < 4 ? 0xFF : i == 4 ? 0x01 : 0;
  net::Position p;
  EXPECT_FALSE(net::unpackRecord(full, &p));

  kit::TempDir dir;
  const std::string path = dir.file("data.tvnd");
  ASSERT_TRUE(net::writeRecords(path.c_str(), {good, full, good}));
  std::vector<net::Record> records;
  std::string error;
  ASSERT_TRUE(net::readRecords(path.c_str(), &records, &error));
  EXPECT_TRUE(net::keepGoodRecords(&records) == 1 && records.size() == 2) << records.size();

  const std::string whole = kit::readFile(path);
  const std::vector<std::string> broken = {
      "", whole.substr(0, 10), "TVNX" + whole.substr(4), whole.substr(0, whole.size() - 1),
      whole.substr(0, 4) + std::string("\2\0\0\0", 4) + whole.substr(8),
      whole.substr(0, 8) + std::string("\45\0\0\0", 4) + whole.substr(12)};
  for (const std::string& text : broken) {
    dir.write("bad.tvnd", text);
    records.clear();
    EXPECT_FALSE(net::readRecords(dir.file("bad.tvnd").c_str(), &records, &error) || !records.empty() ||
                 net::countRecords(dir.file("bad.tvnd").c_str()) != -1) << text.size();
  }
  EXPECT_FALSE(net::readRecords(dir.file("missing").c_str(), &records, &error));
}

// Squares counted by hand: red's king on e0 is 85, its horse on b0 82, its
// pawn on c3 56; black's king on e9 is 4.
TEST(NetInputs, HandCountedSquaresInBothViews) {
  const net::Position start = positionOf(START_FEN);
  const std::vector<int> mover = inputs(start, net::MOVER), other = inputs(start, net::OTHER);
  EXPECT_EQ(mover.size(), 32u);
  for (int input : {85, 3 * 90 + 82, 6 * 90 + 56, 7 * 90 + 4})  // red's own pieces, then black's king
    EXPECT_TRUE(std::binary_search(mover.begin(), mover.end(), input)) << input;
  EXPECT_EQ(mover, other);  // the start position is the same from both sides

  // Black to move (king on d9, 3), a red rook on a0 (81): black sees an
  // enemy rook on 8.
  const net::Position rook = positionOf("3k5/9/9/9/9/9/9/9/9/R3K4 b");
  EXPECT_EQ(inputs(rook, net::MOVER), (std::vector<int>{86, 7 * 90 + 4, 11 * 90 + 8}));
  EXPECT_EQ(inputs(rook, net::OTHER), (std::vector<int>{85, 4 * 90 + 81, 7 * 90 + 3}));
  EXPECT_TRUE(net::bucketOf(32, 8) == 7 && net::bucketOf(3, 8) == 0);
}

std::vector<net::Record> recordsOf(const std::string& path) {
  std::vector<net::Record> records;
  std::string error;
  EXPECT_TRUE(net::readRecords(path.c_str(), &records, &error)) << path << " " << error;
  return records;
}

int gendata(const std::vector<std::string>& args) {
  return kit::Process(TOLVANE_BUILD_DIR "/tools/gendata", args).waitExit(120000);
}

// Two chunks of one game each; a run started again skips the complete
// chunk, replays the missing one the same way and drops its partial file.
TEST(NetData, ChunksResumeAndPrepare) {
  kit::TempDir dir;
  const std::vector<std::string> run = {"netdata", dir.path, "2", "7", "--nodes", "300", "--chunk", "1"};
  ASSERT_EQ(gendata(run), 0);
  const std::string first = tune::chunkPath(dir.path, 7, 0), second = tune::chunkPath(dir.path, 7, 1);
  for (const std::string& chunk : {first, second}) {
    const std::vector<net::Record> records = recordsOf(chunk);
    ASSERT_FALSE(records.empty());
    net::Position p, q;
    ASSERT_TRUE(net::unpackRecord(records[0], &q));
    for (const net::Record& r : records) {  // of one game
      ASSERT_TRUE(net::unpackRecord(r, &p));
      EXPECT_TRUE(p.result == q.result && p.ply >= 8 && std::abs(p.score) < MATE_BOUND && p.count >= 2) << p.ply;
    }
  }
  const std::string played = kit::readFile(second);
  ASSERT_TRUE(net::writeRecords(first.c_str(), {}));
  std::remove(second.c_str());
  dir.write("chunk-7-00001.tvnd.part", "half a chunk");
  ASSERT_EQ(gendata(run), 0);
  EXPECT_TRUE(net::countRecords(first.c_str()) == 0 && kit::readFile(second) == played);
  EXPECT_FALSE(std::filesystem::exists(second + ".part"));

  // netprep: the second chunk twice gives its positions once each.
  std::set<std::string> positions, kept;
  for (const net::Record& r : recordsOf(second)) positions.insert(std::string(r.bytes, r.bytes + net::POSITION_BYTES));
  const std::string out = dir.file("train.tvnd");
  ASSERT_EQ(gendata({"netprep", out, second, second, "--seed", "5"}), 0);
  const std::vector<net::Record> prepared = recordsOf(out);
  for (const net::Record& r : prepared) kept.insert(std::string(r.bytes, r.bytes + net::POSITION_BYTES));
  EXPECT_TRUE(prepared.size() == positions.size() && kept == positions) << prepared.size();
  dir.write("bad.tvnd", "TVND");
  EXPECT_EQ(gendata({"netprep", out, second, dir.file("bad.tvnd")}), 1);
}

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
    settings.hidden = 32, settings.buckets = 2, settings.lambda = 1, settings.batch = 64, settings.rate = 0.005;
    for (uint32_t i = 0; i < records.size(); ++i) all.push_back(i);
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
  EXPECT_TRUE(records.size() > 3000 && after < before / 4) << records.size() << ": " << before << " to " << after;
}

// The integer score is the float score of the rounded weights, truncated; the
// float network's it misses by no more than rounding allows: each accumulator
// by (pieces + 1) / 2 units of QA, each output weight by half of QB, the bias
// by half of QA * QB.
TEST_F(NetTrainer, NetFileHoldsTheNetworkAndScoresAsTheFloatOneWithinRounding) {
  net::IntNetwork q, back;
  net::quantise(network, settings.outputScale, &q);
  const std::string path = dir.file("Network.nnue");
  ASSERT_TRUE(net::writeNetFile(path.c_str(), q));
  std::string error;
  ASSERT_TRUE(net::readNetFile(path.c_str(), &back, &error)) << error;
  EXPECT_TRUE(back.weight == q.weight && back.bias == q.bias && back.outWeight == q.outWeight &&
              back.outBias == q.outBias && back.outputScale == q.outputScale);
  net::Network rounded;
  net::dequantise(back, &rounded);
  const int scale = settings.outputScale;
  net::IntNetwork again;  // a net file as the trainer's starting point keeps its integers
  net::quantise(rounded, scale, &again);
  EXPECT_TRUE(again.weight == q.weight && again.bias == q.bias && again.outWeight == q.outWeight && again.outBias == q.outBias);
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

// Every parameter at its limit, all one sign: on a full board the
// accumulators and the output sum still fit their integers.
TEST_F(NetTrainer, ClippedNetworkCannotOverflow) {
  const net::Position start = positionOf(START_FEN);
  for (float sign : {1.0f, -1.0f}) {
    net::Network n;
    net::initNetwork(&n, net::MAX_HIDDEN, 1, 1);
    for (float& w : n.params) w = sign * 1e6f;
    net::clipNetwork(&n, 0, n.size());
    net::IntNetwork q;
    net::quantise(n, net::MAX_OUTPUT_SCALE, &q);
    bool overflow = false;
    net::integerScore(q, start, &overflow);
    EXPECT_TRUE(q.weight[0] == sign * net::FEATURE_WEIGHT_MAX && !overflow) << q.weight[0];
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
  EXPECT_TRUE(n.params == network.params && a.m == adam.m && a.v == adam.v && a.step == adam.step);
  EXPECT_TRUE(scale == 321 && epochs == 6) << scale << " " << epochs;
  const std::string whole = kit::readFile(path);
  for (const std::string& text : {whole.substr(0, whole.size() - 4), whole + "x", std::string("TVNC"),
                                   whole.substr(0, 8) + std::string("\21\0\0\0", 4) + whole.substr(12)}) {
    dir.write("bad.tvnc", text);
    EXPECT_FALSE(net::loadCheckpoint(dir.file("bad.tvnc").c_str(), &n, &a, &scale, &epochs, &error));
  }
}

struct TunerTest : ::testing::Test {
  void SetUp() override {
    kit::useShippedScript(), searchOptions.knowledgeLevel = 2;  // every term
    params = tune::scriptParams(true);
    for (const tune::Param& p : params) start.push_back(tune::paramValue(p));
    kit::randomGames(8, 120, 77, [this](Board& b) { fens.push_back(kit::toFen(b)); });
    std::mt19937 rng(5);
    for (const std::string& fen : fens)
      tune::addPosition(data, *kit::boardFromFen(fen), 0.5f * float(rng() % 3), params, start);
  }
  void TearDown() override { apply(start), searchOptions.knowledgeLevel = knowledge; }
  void apply(const std::vector<int>& values) {
    for (size_t i = 0; i < params.size(); ++i) tune::setParam(params[i], values[i]);
    deriveScoreTables(), buildMoveDelta();
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
  EXPECT_TRUE(checked > 100 && tune::fitScale(data, theta) > 0) << checked;
}

// Unchanged numbers give the script back byte for byte; changed ones are
// read back by the engine's reader, everything else as it was.
TEST_F(TunerTest, WrittenScriptReadsBackWithTheNewNumbers) {
  const std::string shipped = TOLVANE_DATA_DIR "/PosVal.txt", out = TOLVANE_BUILD_DIR "/tuned_test.txt";
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
