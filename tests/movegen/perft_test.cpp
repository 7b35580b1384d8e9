#include <fstream>
#include <sstream>

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

}  // namespace
}  // namespace movegentest
