// The search-option image: loading it, repairing it, and building it from
// its readable form with the makeopt tool.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstring>
#include <fstream>

#include "config/optionfields.h"
#include "config/searchoptions.h"
#include "testfiles.h"

namespace {

const std::string MAKEOPT = std::string(TOLVANE_BUILD_DIR) + "/tools/makeopt";

// Runs the tool; returns its exit status and its stderr text.
int runMakeopt(const std::string& input, const std::string& output, std::string* err) {
  TempFile errFile;
  const std::string command = MAKEOPT + " " + input + " " + output + " 2>" + errFile.path();
  const int status = std::system(command.c_str());
  *err = readWholeFile(errFile.path());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string imageBytes(const SearchOptions& o) {
  return std::string(reinterpret_cast<const char*>(&o), sizeof o);
}

}  // namespace

TEST(SearchOptionsImage, ShortFileFillsOnlyItsLength) {
  SearchOptions o;
  std::memset(&o, 0xA5, sizeof o);
  o.knowledgeLevel = 1;
  TempFile file(std::string(100, '\x01'));
  testing::internal::CaptureStderr();
  EXPECT_TRUE(loadSearchOptions(&o, file.path()));
  const std::string err = testing::internal::GetCapturedStderr();
  const auto* bytes = reinterpret_cast<const uint8_t*>(&o);
  // The 32-bit fields inside the 100 bytes read as 0x01010101 and are out
  // of range, so they are repaired; every single byte left reads 1.
  EXPECT_EQ(o.useHashCutoffs, 1);
  EXPECT_EQ(o.iidDepth, 2) << "repaired";
  EXPECT_EQ(bytes[99], 1);
  EXPECT_NE(err.find("iidDepth"), std::string::npos) << err;
  // Past the 100 bytes nothing changes, not even the repairs.
  EXPECT_EQ(bytes[100], 0xA5);
  EXPECT_EQ(o.lmrMinMoves, static_cast<int32_t>(0xA5A5A5A5)) << "starts at byte 104";
  EXPECT_EQ(o.knowledgeLevel, 1);
}

TEST(SearchOptionsImage, BadValuesAreReportedAndRepaired) {
  SearchOptions o;
  std::memset(&o, 0, sizeof o);
  o.iidDepth = 0;
  o.nullMoveMinDepth = -3;
  o.knowledgeLevel = 7;
  o.useNullMove = 5;
  o.timedDepth = 200;
  o.lmrHistoryLimit = 20000;
  o.printMinDepth = 3;
  TempFile file(imageBytes(o));
  SearchOptions loaded;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(loadSearchOptions(&loaded, file.path()));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(loaded.iidDepth, 2);
  EXPECT_EQ(loaded.nullMoveMinDepth, 2);
  EXPECT_EQ(loaded.knowledgeLevel, 2) << "clamped";
  EXPECT_EQ(loaded.useNullMove, 1);
  EXPECT_EQ(loaded.timedDepth, 64);
  EXPECT_LT(loaded.timedDepth, MAX_PLY);
  EXPECT_EQ(loaded.lmrHistoryLimit, 4096);
  EXPECT_EQ(loaded.printMinDepth, 3);
  for (const char* name : {"iidDepth", "nullMoveMinDepth", "knowledgeLevel", "useNullMove",
                           "timedDepth", "lmrHistoryLimit", "timeLimitMs"})
    EXPECT_NE(err.find(name), std::string::npos) << name << "\n" << err;
}

TEST(Makeopt, EveryNamedFieldLandsAtItsOffset) {
  // Give every field a distinct value within its range.
  std::string text = "# all fields\n\n";
  for (int i = 0; i < OPTION_FIELD_COUNT; ++i) {
    const OptionField& f = OPTION_FIELDS[i];
    const int32_t v = f.high - (i % (f.high - f.low + 1));
    text += std::string("  ") + f.name + "\t" + std::to_string(v) + "   # comment\n";
  }
  TempFile input(text);
  TempFile output;
  std::string err;
  ASSERT_EQ(runMakeopt(input.path(), output.path(), &err), 0) << err;
  const std::string image = readWholeFile(output.path());
  ASSERT_EQ(image.size(), sizeof(SearchOptions));

  SearchOptions loaded;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(loadSearchOptions(&loaded, output.path()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "no value needed repair";
  SearchOptions expected;
  std::memset(&expected, 0, sizeof expected);
  for (int i = 0; i < OPTION_FIELD_COUNT; ++i) {
    const OptionField& f = OPTION_FIELDS[i];
    const int32_t v = f.high - (i % (f.high - f.low + 1));
    EXPECT_EQ(getOptionField(loaded, f), v) << f.name;
    setOptionField(&expected, f, v);
  }
  // Little-endian image, every unnamed byte zero.
  EXPECT_EQ(image, imageBytes(expected));
}

TEST(Makeopt, ErrorsNameTheLineAndWriteNothing) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"useNullMove 1\nuseNullMoves 1\n", ":2: unknown option \"useNullMoves\""},
      {"iidDepth two\n", ":1: iidDepth needs an integer"},
      {"iidDepth\n", ":1: iidDepth needs an integer"},
      {"\n\niidDepth 2 3\n", ":3: unexpected \"3\""},
      {"iidDepth 0\n", ":1: iidDepth 0 is outside 1..115"},
      {"knowledgeLevel 3\n", ":1: knowledgeLevel 3 is outside 0..2"},
      {"timedDepth 115\n", ":1: timedDepth 115 is outside"},
      {"usePvs 1\nusePvs 0\n", ":2: usePvs is given twice"},
      {"maxDepth 5\n", "unknown option \"maxDepth\""},
      {"lmrMinMoves 4294967296\n", ":1: lmrMinMoves needs an integer"},
  };
  for (const auto& c : cases) {
    TempFile input(c.text);
    TempFile output;
    std::remove(output.path());
    std::string err;
    EXPECT_NE(runMakeopt(input.path(), output.path(), &err), 0) << c.text;
    EXPECT_NE(err.find(c.expected), std::string::npos) << c.text << "\n" << err;
    EXPECT_FALSE(std::ifstream(output.path()).good()) << c.text;
  }
  std::string err;
  EXPECT_NE(runMakeopt("/nonexistent/HowToThink.txt", "/tmp/unused.opt", &err), 0);
}
