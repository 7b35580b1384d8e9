#include "movegen/perft.h"
#include "support.h"

namespace movegentest {
namespace {

TEST(Perft, StartPositionToDepthFour) {
  auto b = boardFromFen(START_FEN);
  const uint64_t expected[] = {1, 44, 1920, 79666, 3290240};
  for (int depth = 0; depth <= 4; ++depth)
    EXPECT_EQ(countPaths(*b, depth), expected[depth]) << "depth " << depth;
}

// Counts from an independent engine; every kind of position the tags name
// (checks of every piece, double checks, kings on one file, blocked legs,
// pawns across the river, sparse boards, mates) must match at every depth.
TEST(Perft, FixturePositionsMatchTheOracle) {
  const auto positions = readFixture();
  ASSERT_GE(positions.size(), 100u);
  for (const auto& p : positions) {
    auto b = boardFromFen(p.fen);
    ASSERT_GE(p.counts.size(), 3u) << p.fen;
    for (size_t d = 0; d < p.counts.size(); ++d)
      EXPECT_EQ(countPaths(*b, static_cast<int>(d) + 1), p.counts[d])
          << p.tag << " " << p.fen << " depth " << d + 1;
  }
}

}  // namespace
}  // namespace movegentest
