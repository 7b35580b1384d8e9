// Network.nnue damaged in every way the loader checks: refused with its
// reason, the net left absent and the script evaluating; never a crash.
#include <cstring>

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
  std::string flipped = good;
  flipped[NET_HEADER_BYTES + 1000] ^= 4;
  const struct {
    std::string image;
    const char* reason;  // part of it; "" for a net that loads
  } cases[] = {
      {good, ""},
      {"-", "cannot be opened"},
      {good.substr(0, 39), "39 bytes, shorter than the 40-byte header"},
      {"TVNX" + good.substr(4), "no TVNN mark"},
      {withField(good, 4, 2), "format version 2"},
      {withField(good, 8, 1261), "1261 inputs"},
      {withField(good, 12, 40), "40 hidden values"},  // not a multiple of 16
      {withField(good, 12, 1040), "1040 hidden values"},
      {withField(good, 12, 48), "announced"},  // a size of its own, not the payload's
      {withField(good, 16, 17), "17 output buckets"},
      {withField(good, 20, 256), "QA 256"},
      {withField(good, 24, 63), "QB 63"},
      {withField(good, 28, 0), "output scale 0"},
      {withField(good, 32, uint32_t(good.size() - NET_HEADER_BYTES + 2)), "announced"},
      {good.substr(0, good.size() - 1), "payload cut short"},
      {good + '\0', "bytes past"},
      {flipped, "checksum"},
  };
  auto b = kit::boardFromFen(START_FEN);
  int threats = 0;
  const int script = evaluate(*b, 0, -MATE, MATE, &threats);
  for (const auto& c : cases) {
    char reason[NET_REASON_MAX] = "";
    const kit::Loaded r = kit::loadText(c.image, [&](const char* path) { return loadNetwork(path, reason); });
    EXPECT_TRUE(r.ok == !*c.reason && network.loaded == r.ok) << c.reason << ": " << reason;
    EXPECT_NE(std::string(reason).find(c.reason), std::string::npos) << c.reason << ": " << reason;
    EXPECT_EQ(evaluate(*b, 0, -MATE, MATE, &threats) == script, !r.ok) << c.reason;
  }
  unloadNetwork();
  searchOptions = saved;
}

}  // namespace
