#include "common/netfiles.h"

#include <random>

#include "common/process.h"
#include "config/netfile.h"

namespace kit {

net::IntNetwork randomNet(int hidden, int buckets, unsigned seed) {
  std::mt19937 rng(seed);
  const auto uniform = [&](int limit, int centre = 0) { return int16_t(int(rng() % (2 * limit + 1)) - limit + centre); };
  net::IntNetwork n;
  n.hidden = hidden, n.buckets = buckets, n.outputScale = 100 + int(rng() % 200);
  for (int i = 0; i < net::INPUTS * hidden; ++i) n.weight.push_back(uniform(60));
  for (int i = 0; i < hidden; ++i) n.bias.push_back(uniform(150, 60));
  for (int i = 0; i < buckets * 2 * hidden; ++i) n.outWeight.push_back(uniform(300));
  for (int i = 0; i < buckets; ++i) n.outBias.push_back(int32_t(rng() % 200001) - 100000);
  return n;
}

std::string netImage(const net::IntNetwork& n) {
  const TempDir dir;
  EXPECT_TRUE(net::writeNetFile(dir.file("Network.nnue").c_str(), n));
  return readFile(dir.file("Network.nnue"));
}

void loadTestNet(const net::IntNetwork& n) {
  char reason[NET_REASON_MAX] = "";
  EXPECT_TRUE(loadText(netImage(n), [&](const char* path) { return loadNetwork(path, reason); }).ok) << reason;
}

}  // namespace kit
