// The records of the learned evaluation: positions of random games through
// the record and back (against the engine's FEN), malformed records and
// files, the inputs of both views, and gendata's chunks and netprep.
#include <algorithm>
#include <cstdio>
#include <random>
#include <set>

#include "common/engine.h"
#include "common/process.h"
#include "train/features.h"
#include "train/records.h"
#include "tune/netdata.h"

namespace {

// A decoder of our own: the position's FEN, rows from black's back rank.
std::string fenOf(const net::Position& p) {
  char grid[10][9];
  std::fill(&grid[0][0], &grid[0][0] + 90, '.');
  for (int i = 0; i < p.count; ++i)
    grid[p.square[i] / 9][p.square[i] % 9] = "kabnrcpKABNRCP"[p.piece[i]];
  std::string fen;
  for (int row = 0; row < 10; ++row) {
    int gap = 0;
    for (char c : grid[row]) {
      if (c != '.' && gap) fen += char('0' + gap);
      gap = c == '.' ? gap + 1 : 0;
      if (c != '.') fen += c;
    }
    fen += (gap ? std::string(1, char('0' + gap)) : "") + (row < 9 ? '/' : ' ');
  }
  return fen + (p.side == 1 ? 'w' : 'b');
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
    p.score = int(rng() % 80001) - 40000;
    p.result = int(rng() % 3);
    p.ply = int(rng() % 70000);
    net::Record r;
    net::packRecord(p, &r);
    net::Position back;
    ASSERT_TRUE(net::unpackRecord(r, &back));
    ASSERT_EQ(fenOf(back), kit::toFen(b));
    EXPECT_EQ(back.score, std::clamp(p.score, -32768, 32767));
    EXPECT_EQ(back.result, p.result);
    EXPECT_EQ(back.ply, std::min(p.ply, 65535));
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
  EXPECT_EQ(net::keepGoodRecords(&records), 1u);
  EXPECT_EQ(records.size(), 2u);

  const std::string whole = kit::readFile(path);
  const std::vector<std::string> broken = {
      "", whole.substr(0, 10), "TVNX" + whole.substr(4), whole.substr(0, whole.size() - 1),
      whole.substr(0, 4) + std::string("\2\0\0\0", 4) + whole.substr(8),
      whole.substr(0, 8) + std::string("\45\0\0\0", 4) + whole.substr(12)};
  for (const std::string& text : broken) {
    dir.write("bad.tvnd", text);
    records.clear();
    EXPECT_FALSE(net::readRecords(dir.file("bad.tvnd").c_str(), &records, &error)) << text.size();
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(net::countRecords(dir.file("bad.tvnd").c_str()), -1);
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
  EXPECT_EQ(net::bucketOf(32, 8), 7);
  EXPECT_EQ(net::bucketOf(3, 8), 0);
}

// The board turned round with the colours swapped is the same position
// for the side to move: both views keep their inputs.
TEST(NetInputs, TurnedBoardWithColoursSwappedKeepsBothViews) {
  int seen = 0;
  kit::randomGames(4, 120, 9, [&](Board& b) {
    const std::string fen = kit::toFen(b);
    const net::Position p = positionOf(fen), turned = positionOf(kit::colourMirror(kit::fileMirror(fen)));
    for (int view : {net::MOVER, net::OTHER}) {
      ASSERT_EQ(inputs(p, view), inputs(turned, view)) << fen;
      ASSERT_LT(inputs(p, view).back(), net::INPUTS);
    }
    ++seen;
  });
  EXPECT_GT(seen, 300);
}

std::vector<net::Record> recordsOf(const std::string& path) {
  std::vector<net::Record> records;
  std::string error;
  EXPECT_TRUE(net::readRecords(path.c_str(), &records, &error)) << path << " " << error;
  return records;
}

int gendata(const std::vector<std::string>& args) {
  kit::Process p(TOLVANE_BUILD_DIR "/tools/gendata", args);
  return p.waitExit(120000);
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
    for (const net::Record& r : records) {
      ASSERT_TRUE(net::unpackRecord(r, &p));
      EXPECT_EQ(p.result, q.result);  // one game
      EXPECT_GE(p.ply, 8);
      EXPECT_LT(std::abs(p.score), MATE_BOUND);
      EXPECT_GE(p.count, 2);
    }
  }
  const std::string played = kit::readFile(second);
  ASSERT_TRUE(net::writeRecords(first.c_str(), {}));
  std::remove(second.c_str());
  dir.write("chunk-7-00001.tvnd.part", "half a chunk");
  ASSERT_EQ(gendata(run), 0);
  EXPECT_EQ(net::countRecords(first.c_str()), 0);
  EXPECT_EQ(kit::readFile(second), played);
  EXPECT_FALSE(std::filesystem::exists(second + ".part"));

  // netprep: the second chunk twice gives its positions once each.
  std::set<std::string> positions;
  for (const net::Record& r : recordsOf(second))
    positions.insert(std::string(r.bytes, r.bytes + net::POSITION_BYTES));
  const std::string out = dir.file("train.tvnd");
  ASSERT_EQ(gendata({"netprep", out, second, second, "--seed", "5"}), 0);
  std::set<std::string> kept;
  const std::vector<net::Record> prepared = recordsOf(out);
  for (const net::Record& r : prepared) kept.insert(std::string(r.bytes, r.bytes + net::POSITION_BYTES));
  EXPECT_EQ(prepared.size(), positions.size());
  EXPECT_EQ(kept, positions);
  dir.write("bad.tvnd", "TVND");
  EXPECT_EQ(gendata({"netprep", out, second, dir.file("bad.tvnd")}), 1);
}

}  // namespace
