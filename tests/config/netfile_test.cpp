// Network.nnue damaged in every way the loader checks: refused with its
// reason, the net left absent and the script evaluating; never a crash.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "common/engine.h"
#include "common/netfiles.h"
#include "common/process.h"
#include "config/netfile.h"
#include "config/searchoptions.h"
#include "eval/evaluate.h"

namespace {

std::string withField(std::string image, int offset, uint32_t value) {
  std::memcpy(&image[offset], &value, sizeof value);
  return image;
}

TEST(NetFile, DamagedFilesAreRefusedAndTheScriptEvaluates) {
  kit::useShippedScript();
  const SearchOptions saved = searchOptions;
  searchOptions.useNetwork = 1;
  const std::string good = kit::netImage(kit::randomNet(32, 4, 1));
  std::string flipped = good, longer = good + '\0';
  flipped[NET_HEADER_BYTES + 1000] ^= 4;
  const struct {
    std::string image;
    const char* reason;  // part of it; "" for a net that loads
  } cases[] = {
      {good, ""},
      {"-", "cannot be opened"},
      {"", "0 bytes, shorter than the 40-byte header"},
      {good.substr(0, 39), "39 bytes, shorter"},
      {"TVNX" + good.substr(4), "no TVNN mark"},
      {withField(good, 4, 2), "format version 2"},
      {withField(good, 8, 1261), "1261 inputs"},
      {withField(good, 12, 0), "0 hidden values"},
      {withField(good, 12, 40), "40 hidden values"},
      {withField(good, 12, 1040), "1040 hidden values"},
      {withField(good, 12, 48), "announced"},  // a right size, not the payload's
      {withField(good, 16, 0), "0 output buckets"},
      {withField(good, 16, 17), "17 output buckets"},
      {withField(good, 20, 256), "QA 256"},
      {withField(good, 24, 63), "QB 63"},
      {withField(good, 28, 0), "output scale 0"},
      {withField(good, 28, 10001), "output scale 10001"},
      {withField(good, 32, uint32_t(good.size() - NET_HEADER_BYTES + 2)), "announced"},
      {good.substr(0, good.size() - 1), "payload cut short"},
      {good.substr(0, NET_HEADER_BYTES), "payload cut short: 0 of"},
      {longer, "bytes past"},
      {flipped, "checksum"},
      {withField(good, 36, 12345), "checksum"},
  };
  auto b = kit::boardFromFen("rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w");
  int threats = 0;
  const int script = (unloadNetwork(), evaluate(*b, 0, -30000, 30000, &threats));
  for (const auto& c : cases) {
    char reason[NET_REASON_MAX] = "";
    const kit::Loaded r = kit::loadText(c.image, [&](const char* path) { return loadNetwork(path, reason); });
    EXPECT_EQ(r.ok, !*c.reason) << c.reason << ": " << reason;
    EXPECT_EQ(network.loaded, r.ok);
    EXPECT_NE(std::string(reason).find(c.reason), std::string::npos) << c.reason << ": " << reason;
    EXPECT_EQ(evaluate(*b, 0, -30000, 30000, &threats) == script, !r.ok) << c.reason;
  }
  // Random damage to the header or a random length: refused, never read astray.
  std::mt19937 rng(2);
  for (int i = 0; i < 300; ++i) {
    std::string image = good.substr(0, i % 3 ? good.size() : 1 + rng() % (good.size() - 1));
    size_t at = rng() % NET_HEADER_BYTES;
    if (at >= 28 && at < 32) at += 8;  // any output scale 1..10000 is a scale: the checksum instead
    image[at % image.size()] ^= static_cast<char>(1 + rng() % 255);
    char reason[NET_REASON_MAX] = "";
    EXPECT_FALSE(kit::loadText(image, [&](const char* path) { return loadNetwork(path, reason); }).ok);
    EXPECT_EQ(evaluate(*b, 0, -30000, 30000, &threats), script);
  }
  unloadNetwork();
  searchOptions = saved;
}

}  // namespace
