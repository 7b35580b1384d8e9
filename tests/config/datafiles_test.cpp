// The data files, one table of damaged ones per kind: never a crash; refused,
// or read with their bad values reported and clamped, as each loader promises.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#include "common/engine.h"
#include "common/netfiles.h"
#include "common/process.h"
#include "config/config.h"
#include "config/evalscript.h"
#include "config/netfile.h"
#include "config/optionfields.h"
#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "eval/evaluate.h"
#include "eval/script.h"

namespace {

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  EXPECT_NE(text.find(from), std::string::npos) << from;
  return text.find(from) == std::string::npos ? text : text.replace(text.find(from), from.size(), to);
}

// A script is refused when cut short, garbled or allowing scores near the
// mate range; values out of their ranges are clamped, and a script that
// loads never allows such scores.
TEST(DataFiles, DamagedEvaluationScripts) {
  kit::useSyntheticTables();
  // The hand-set script: its numbers stay put while PosVal.txt is re-tuned.
  const std::string s = kit::readFile(TOLVANE_DATA_DIR "/ClassicPosVal.txt");
  const struct { std::string text; bool ok; const char* message; } cases[] = {  // message: part of the report
      {"-", false, ""},
      {"", false, "ends before item 1"},
      {s.substr(0, s.find("rook_value") + 60), false, "ends before item"},
      {s.substr(0, s.find("cannon_line") + 60), false, "ends before item"},
      {s.substr(0, s.size() - 5), false, "ends before item"},
      {replaced(s, "666 777", "666 778"), false, ""},
      {replaced(s, "from_v 640", "from_v 6x40"), false, "6x40"},
      {replaced(s, "from_v 640", "from_v -5"), true, "lazy margin"},
      {replaced(s, "null_move_margin 30", "null_move_margin -30"), true, "null-move margin -30"},
      {replaced(s, "per_pawn 6", "per_pawn 100000000"), true, "step"},
      {replaced(s, "30 0\n  10", "30 0\n40000"), true, "pawn grid"},
      {replaced(replaced(replaced(s, "horse_value_spare_grid 270", "h 3000"),
                         "rook_value_spare_grid 600", "r 3000"), "cannon_value_spare_grid 285", "c 3000"),
       false, "allow a score"},
  };
  for (const auto& c : cases) {
    const kit::Loaded r = kit::loadText(c.text, loadEvaluationScript);
    EXPECT_TRUE(r.ok == c.ok && r.messages.find(c.message) != std::string::npos) << c.message << "\n" << r.messages;
    EXPECT_TRUE(!r.ok || scriptScoreBound() < SCRIPT_SCORE_LIMIT) << c.message;
  }
  // Grids that differ from their mirrors load, reported in a bounded number of lines.
  std::string lopsided = s;
  size_t at = lopsided.find("horse_value");
  for (int n = 0; n < 40; ++n) lopsided.replace(at = lopsided.find("\n   0", at), 5, "\n  50");
  const kit::Loaded r = kit::loadText(lopsided, loadEvaluationScript);
  EXPECT_TRUE(r.ok && r.messages.find("镜像不对称") != std::string::npos &&
              std::count(r.messages.begin(), r.messages.end(), '\n') <= MIRROR_REPORT_MAX_LINES + 2) << r.messages;
}

TEST(DataFiles, DamagedConfigIni) {
  const struct { std::string text; bool ok; int size; bool reported; } cases[] = {  // size: from 77, as loaded
      {"hash 64 spare 1 333 444 555 666 777", true, 64, false},
      {"hash 128 spare 1 333 444 555 666 0", false, 128, true},  // what was read stays
      {"hash big spare 1 333 444 555 666 777", false, 77, true},
      {"hash 99999999999 spare 0 333 444 555 666 777", false, 77, true},
      {"-", false, 77, false},
      {"hash 8 spare 0 333 444 555 666 777", true, HASH_MIN_MB, true},
      {"hash 5000 spare 0 333 444 555 666 777", true, HASH_MAX_MB, true},
      {"hash -64 spare 0 333 444 555 666 777", true, HASH_DEFAULT_MB, true},
      {"hash 0 spare 0 333 444 555 666 777", true, HASH_DEFAULT_MB, true},
  };
  for (const auto& c : cases) {
    int size = 77;
    const kit::Loaded r = kit::loadText(c.text, [&](const char* path) { return loadConfig(path, &size); });
    EXPECT_TRUE(r.ok == c.ok && size == c.size && r.messages.empty() != c.reported)
        << c.text << "\n" << r.messages;
  }
}

// Whatever the file holds, the time budget's rules hold afterwards.
TEST(DataFiles, DamagedTimeManagement) {
  const std::string good = "r 7 8 d 40 e 1 120 0.25 s 1 0.5 h 1 35 3.0 f 0 333 444 555 666 777";
  const struct { std::string text; bool ok; const char* message; int divisor; } cases[] = {  // message "": none
      {good, true, "", 40},
      {replaced(good, "3.0", "1.0"), true, "", 40},  // the least hard limit
      {replaced(good, "777", "778"), false, "end mark", 40},
      {"reserved 0 0 divisor 25 easy 1", false, "ends before item 8", 25},  // the rest built in
      {"-", false, "", TM_DEFAULT_MOVES_DIVISOR},
      {replaced(good, "0.25", "nan"), false, "nan", 40},
      {replaced(good, "d 40", "d 0"), true, "movesDivisor", TM_DEFAULT_MOVES_DIVISOR},
      {replaced(good, "1 120", "1 -120"), true, "easyMoveMargin", 40},
      {replaced(good, "0.5", "3.5"), true, "softStopFactor", 40},
      {replaced(good, "35 3.0", "-35 3.0"), true, "scoreDropMargin", 40},
      {replaced(good, "3.0", "50"), true, "hardLimitFactor", 40},
  };
  for (const auto& c : cases) {
    TimeManager tm;
    tm.movesDivisor = 0;
    const kit::Loaded r = kit::loadText(c.text, [&](const char* path) { return loadTimeManagement(&tm, path); });
    EXPECT_TRUE(r.ok == c.ok && (*c.message ? r.messages.find(c.message) != std::string::npos : r.messages.empty()) &&
                tm.movesDivisor == c.divisor) << c.text << "\n" << r.messages;
    EXPECT_TRUE(tm.movesDivisor >= 1 && tm.movesDivisor <= TM_MAX_MOVES_DIVISOR && tm.hardLimitFactor >= 1 &&
                tm.hardLimitFactor <= TM_MAX_HARD_LIMIT_FACTOR && tm.softStopFactor > 0 &&
                tm.softStopFactor <= tm.hardLimitFactor && tm.easyMoveFactor > 0 &&
                tm.easyMoveFactor <= tm.hardLimitFactor && tm.easyMoveMargin >= 0 && tm.scoreDropMargin >= 0)
        << c.text;
  }
}

// Any image, short, long or random: every named field it covers is within its
// range afterwards; the bytes past a short image keep what they held.
TEST(DataFiles, DamagedSearchOptionImages) {
  const std::string built = kit::readFile(TOLVANE_BUILD_DIR "/HowToThink.opt");
  std::vector<std::string> images = {"", built.substr(0, 100), built + "tail", std::string(272, '\xFF')};
  std::mt19937 rng(17);
  for (int i = 0; i < 200; ++i) {
    images.emplace_back(rng() % 300, '\0');
    for (char& c : images.back()) c = static_cast<char>(rng() % 4 ? rng() : rng() % 3);
  }
  for (const std::string& image : images) {
    SearchOptions o;
    std::memset(&o, 0xA5, sizeof o);
    EXPECT_TRUE(kit::loadText(image, [&](const char* path) { return loadSearchOptions(&o, path); }).ok);
    for (int i = 0; i < OPTION_FIELD_COUNT; ++i) {
      const OptionField& f = OPTION_FIELDS[i];
      const int32_t v = getOptionField(o, f);
      EXPECT_TRUE(f.offset + f.size > image.size() || (v >= f.low && v <= f.high)) << f.name << " " << v;
      EXPECT_TRUE(f.offset < image.size() || reinterpret_cast<uint8_t*>(&o)[f.offset] == 0xA5) << f.name;
    }
    EXPECT_TRUE(image.size() < sizeof o ||
                (o.iidDepth >= 1 && o.timedDepth < MAX_PLY && o.knowledgeLevel <= 2));
  }
  SearchOptions o;
  EXPECT_FALSE(loadSearchOptions(&o, "/nonexistent/HowToThink.opt"));
}

// makeopt writes every named field where the engine reads it, and refuses
// a bad value with the line's number, writing nothing.
TEST(Makeopt, WritesEveryFieldAndRefusesBadTexts) {
  kit::TempDir dir;
  const std::string tool = TOLVANE_BUILD_DIR "/tools/makeopt";
  const auto value = [](int i) {
    return OPTION_FIELDS[i].high - i % (OPTION_FIELDS[i].high - OPTION_FIELDS[i].low + 1);
  };
  std::string text = "# every field\n\n";
  for (int i = 0; i < OPTION_FIELD_COUNT; ++i)
    text += std::string(OPTION_FIELDS[i].name) + "\t" + std::to_string(value(i)) + "  # note\n";
  dir.write("all.txt", text);
  kit::Process all(tool, {dir.file("all.txt"), dir.file("all.opt")});
  ASSERT_EQ(all.run(""), 0) << all.err;
  SearchOptions o;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(loadSearchOptions(&o, dir.file("all.opt").c_str()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  for (int i = 0; i < OPTION_FIELD_COUNT; ++i)
    EXPECT_EQ(getOptionField(o, OPTION_FIELDS[i]), value(i)) << OPTION_FIELDS[i].name;
  dir.write("bad.txt", "useNullMove 1\niidDepth 0\n");
  kit::Process bad(tool, {dir.file("bad.txt"), dir.file("bad.opt")});
  EXPECT_TRUE(bad.run("") != 0 && bad.err.find(":2: iidDepth 0 is outside 1..115") != std::string::npos) << bad.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("bad.opt")));
}

std::string withField(std::string image, int offset, uint32_t value) {
  std::memcpy(&image[offset], &value, sizeof value);
  return image;
}

// Network.nnue damaged in every way the loader checks: refused with its
// reason, the net left absent and the script evaluating. The trainer's reader
// (tools/train/netfile.h) takes and refuses the same files.
TEST(NetFile, DamagedFilesAreRefusedAndTheScriptEvaluates) {
  kit::useShippedScript();
  const SearchOptions saved = searchOptions;
  searchOptions.useNetwork = 1;
  const std::string good = kit::netImage(kit::randomNet(32, 4, 1));
  net::IntNetwork back;
  std::string flipped = good;
  flipped[NET_HEADER_BYTES + 1000] ^= 4;
  const struct { std::string image; const char* reason; } cases[] = {  // reason: part of it; "" when it loads
      {good, ""},
      {"-", "cannot be opened"},
      {good.substr(0, 39), "39 bytes, shorter than the 40-byte header"},
      {"TVNX" + good.substr(4), "no TVNN mark"},
      {withField(good, 4, 2), "format version 2"},
      {withField(good, 8, 1261), "1261 inputs"},
      {withField(good, 12, 40), "40 hidden values"},  // not a multiple of 16
      {withField(good, 12, 1040), "1040 hidden values"},
      {withField(good, 12, 2048), "2048 hidden values"},
      {withField(good, 12, 48), "announced"},  // a size of its own, not the payload's
      {withField(good, 16, 0), "0 output buckets"},
      {withField(good, 16, 17), "17 output buckets"},
      {withField(good, 20, 256), "QA 256"},
      {withField(good, 24, 63), "QB 63"},
      {withField(good, 28, 0), "output scale 0"},
      {withField(good, 28, 10001), "output scale 10001"},
      {withField(good, 32, uint32_t(good.size() - NET_HEADER_BYTES + 2)), "announced"},
      {good.substr(0, good.size() - 1), "payload cut short"},
      {good + '\0', "bytes past"},
      {flipped, "checksum"},
      {withField(good, 36, 0), "checksum"},
  };
  auto b = kit::boardFromFen(START_FEN);
  int threats = 0;
  const int script = evaluate(*b, 0, -MATE, MATE, &threats);
  for (const auto& c : cases) {
    char reason[NET_REASON_MAX] = "";
    const kit::Loaded r = kit::loadText(c.image, [&](const char* path) { return loadNetwork(path, reason); });
    EXPECT_TRUE(r.ok == !*c.reason && network.loaded == r.ok && std::string(reason).find(c.reason) != std::string::npos)
        << c.reason << ": " << reason;
    EXPECT_EQ(evaluate(*b, 0, -MATE, MATE, &threats) == script, !r.ok) << c.reason;
    std::string error;
    EXPECT_EQ(kit::loadText(c.image, [&](const char* path) { return net::readNetFile(path, &back, &error); }).ok, r.ok)
        << c.reason << ": " << error;
  }
  unloadNetwork();
  searchOptions = saved;
}

}  // namespace
