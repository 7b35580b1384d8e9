#include "common/netfiles.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "common/process.h"
#include "config/netfile.h"

namespace kit {

TestNet randomNet(int hidden, int buckets, unsigned seed) {
  std::mt19937 rng(seed);
  const auto uniform = [&](int limit, int centre = 0) { return int16_t(int(rng() % (2 * limit + 1)) - limit + centre); };
  TestNet n{hidden, buckets, 100 + int(rng() % 200), {}, {}, {}, {}};
  for (int i = 0; i < 1260 * hidden; ++i) n.weight.push_back(uniform(60));
  for (int i = 0; i < hidden; ++i) n.bias.push_back(uniform(150, 60));
  for (int i = 0; i < buckets * 2 * hidden; ++i) n.outWeight.push_back(uniform(300));
  for (int i = 0; i < buckets; ++i) n.outBias.push_back(int32_t(rng() % 200001) - 100000);
  return n;
}

std::string netImage(const TestNet& n) {
  std::string payload;
  const auto append = [](std::string* out, const auto& values) {  // little-endian machines
    out->append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof values[0]);
  };
  append(&payload, n.weight), append(&payload, n.bias), append(&payload, n.outWeight), append(&payload, n.outBias);
  uint32_t fnv = 2166136261u;
  for (unsigned char c : payload) fnv = (fnv ^ c) * 16777619u;
  std::string image = "TVNN";
  append(&image, std::vector<uint32_t>{1, 1260, uint32_t(n.hidden), uint32_t(n.buckets), 255, 64, uint32_t(n.scale),
                                       uint32_t(payload.size()), fnv});
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
  for (int rank = 3; rank <= 12; ++rank)
    for (int file = 3; file <= 11; ++file) {
      const int code = b.squares[rank * 16 + file], q = (rank - 3) * 9 + file - 3;
      if (code >= 32) continue;
      // By piece index: king 0, advisors 1-2, elephants 3-4, horses 5-6, rooks 7-8, cannons 9-10, pawns.
      const int type = "\0\1\1\2\2\3\3\4\4\5\5\6\6\6\6\6"[code % 16];
      const int input = (type + (code / 16 == view ? 0 : 7)) * 90 + (view == RED ? q : 89 - q);
      for (int i = 0; i < n.hidden; ++i) acc[i] += n.weight[size_t(input) * n.hidden + i];
    }
  return acc;
}

int referenceScore(const TestNet& n, const Board& b, int limit) {
  const int pieces = int(std::count_if(b.squares, b.squares + 256, [](uint8_t c) { return c < 32; }));
  const int bucket = std::max(pieces - 1, 0) * n.buckets / 32;
  int64_t out = n.outBias[bucket];
  for (int half = 0; half < 2; ++half) {
    const std::vector<int64_t> acc = referenceAccumulator(n, b, half == 0 ? b.sideToMove : 1 - b.sideToMove);
    for (int i = 0; i < n.hidden; ++i)
      out += std::clamp<int64_t>(acc[i], 0, 255) * n.outWeight[(size_t(bucket) * 2 + half) * n.hidden + i];
  }
  return int(std::clamp<int64_t>(out * n.scale / (255 * 64), -limit, limit));
}

}  // namespace kit
