// Random nets in the file format of Network.nnue, and a net's score worked
// out from the squares alone (64-bit sums), for the learned evaluation's tests.
#pragma once

#include <string>
#include <vector>

#include "board/board.h"

namespace kit {

struct TestNet {
  int hidden, buckets, scale;
  std::vector<int16_t> weight, bias, outWeight;  // [1260][H], [H], [B][2H]
  std::vector<int32_t> outBias;                  // [B]
};
// Weights small enough that no sum wraps, activations on both sides of the clipping.
TestNet randomNet(int hidden, int buckets, unsigned seed);
std::string netImage(const TestNet& net);  // header and payload
void loadTestNet(const TestNet& net);      // as the engine's net (EXPECTs it to load)
std::vector<int64_t> referenceAccumulator(const TestNet& net, const Board& b, int view);
int referenceScore(const TestNet& net, const Board& b, int limit);  // side to move's, clamped

}  // namespace kit
