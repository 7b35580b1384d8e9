#include "common/netfiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "common/process.h"
#include "config/netfile.h"

namespace kit {
namespace {

constexpr int INPUTS = 1260;

template <typename T>
void append(std::string* out, T value) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));  // the test machines are little-endian
  out->append(bytes, sizeof(T));
}

uint32_t fnv(const std::string& bytes) {
  uint32_t h = 2166136261u;
  for (unsigned char c : bytes) h = (h ^ c) * 16777619u;
  return h;
}

}  // namespace

TestNet randomNet(int hidden, int buckets, unsigned seed) {
  std::mt19937 rng(seed);
  const auto uniform = [&](int limit) { return static_cast<int16_t>(int(rng() % (2 * limit + 1)) - limit); };
  TestNet n{hidden, buckets, 100 + int(rng() % 200), {}, {}, {}, {}};
  for (int i = 0; i < INPUTS * hidden; ++i) n.weight.push_back(uniform(60));
  for (int i = 0; i < hidden; ++i) n.bias.push_back(static_cast<int16_t>(uniform(150) + 60));
  for (int i = 0; i < buckets * 2 * hidden; ++i) n.outWeight.push_back(uniform(300));
  for (int i = 0; i < buckets; ++i) n.outBias.push_back(int32_t(rng() % 200001) - 100000);
  return n;
}

std::string netImage(const TestNet& n) {
  std::string payload;
  for (int16_t v : n.weight) append(&payload, v);
  for (int16_t v : n.bias) append(&payload, v);
  for (int16_t v : n.outWeight) append(&payload, v);
  for (int32_t v : n.outBias) append(&payload, v);
  std::string image = "TVNN";
  for (uint32_t v : {1u, uint32_t(INPUTS), uint32_t(n.hidden), uint32_t(n.buckets), 255u, 64u, uint32_t(n.scale),
                     uint32_t(payload.size()), fnv(payload)})
    append(&image, v);
  return image + payload;
}

void loadTestNet(const TestNet& net) {
  const TempDir dir;
  dir.write("Network.nnue", netImage(net));
  char reason[NET_REASON_MAX] = "";
  EXPECT_TRUE(loadNetwork(dir.file("Network.nnue").c_str(), reason)) << reason;
}

std::vector<int64_t> referenceAccumulator(const TestNet& n, const Board& b, int view) {
  std::vector<int64_t> acc(n.bias.begin(), n.bias.end());
  for (int sq = 0; sq < 256; ++sq) {
    const int code = b.squares[sq];
    const int rank = sq / 16, file = sq % 16;
    if (code >= 32 || rank < 3 || rank > 12 || file < 3 || file > 11) continue;
    // Piece indexes by type: king 0, advisors 1-2, elephants 3-4, horses
    // 5-6, rooks 7-8, cannons 9-10, pawns 11-15.
    const int type = "\0\1\1\2\2\3\3\4\4\5\5\6\6\6\6\6"[code % 16];
    const int side = code / 16;  // 0 black, 1 red
    const int q = (rank - 3) * 9 + (file - 3);
    const int input = (type + (side == view ? 0 : 7)) * 90 + (view == 1 ? q : 89 - q);
    for (int i = 0; i < n.hidden; ++i) acc[i] += n.weight[size_t(input) * n.hidden + i];
  }
  return acc;
}

int referenceScore(const TestNet& n, const Board& b, int limit) {
  const int mover = b.sideToMove;
  int pieces = 0;
  for (int sq = 0; sq < 256; ++sq) pieces += b.squares[sq] < 32;
  const int bucket = std::max(pieces - 1, 0) * n.buckets / 32;
  const int16_t* w = &n.outWeight[size_t(bucket) * 2 * n.hidden];
  int64_t out = n.outBias[bucket];
  for (int half = 0; half < 2; ++half) {
    const std::vector<int64_t> acc = referenceAccumulator(n, b, half == 0 ? mover : 1 - mover);
    for (int i = 0; i < n.hidden; ++i) out += std::clamp<int64_t>(acc[i], 0, 255) * w[half * n.hidden + i];
  }
  return static_cast<int>(std::clamp<int64_t>(out * n.scale / (255 * 64), -limit, limit));
}

}  // namespace kit
