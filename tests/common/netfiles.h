// Random nets for the learned evaluation's tests, in the trainer's integers
// and written by the trainer's writer (tools/train/netfile.h): the trainer's
// net::integerScore is the independent judge of the engine's score.
#pragma once

#include <string>

#include "train/netfile.h"

namespace kit {

// Weights small enough that no sum wraps, activations on both sides of the clipping.
net::IntNetwork randomNet(int hidden, int buckets, unsigned seed);
std::string netImage(const net::IntNetwork& net);  // the file net::writeNetFile writes
void loadTestNet(const net::IntNetwork& net);      // as the engine's net (EXPECTs it to load)

}  // namespace kit
