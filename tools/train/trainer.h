// The trainer of the learned evaluation: the float network fitted by Adam
// to the training records. The loss is the squared miss of
// sigmoid(y * outputScale * k) against the blend
// lambda * sigmoid(score * k) + (1 - lambda) * result, the search score and
// the game result both from the side to move's view; k is the tuner's
// scale of scores to winning chances.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "train/network.h"
#include "train/records.h"

namespace net {

struct TrainSettings {
  int hidden = 256, buckets = 8;
  int outputScale = 400;   // score units of an output of 1
  double lambda = 0.75;    // the search score's share of the target
  double k = 0.00244;      // sigmoid scale per score unit
  int epochs = 12;
  int batch = 16384;
  double rate = 1e-3;      // Adam's step in the first epoch ...
  double decay = 0.8;      // ... multiplied by this after every epoch
  double heldOut = 0.05;   // share of the positions kept out of the fit
  uint64_t seed = 1;
  int threads = 2;
};

struct Adam {
  std::vector<float> m, v;
  int64_t step = 0;
};

// Blend of search score and result, in [0, 1].
double targetOf(const Position& p, const TrainSettings& s);
// The float network's score of a position (y * outputScale).
float floatScore(const Network& n, const Position& p, int outputScale);

// Mean loss over the records idx[0, count).
double meanLoss(const Network& n, const std::vector<Record>& records, const uint32_t* idx,
                size_t count, const TrainSettings& s);
// One pass over the records of `order` (shuffled first) in batches of
// s.batch, each batch's gradient split among s.threads threads; returns the
// mean loss of the batches as they were met.
double trainEpoch(Network* n, Adam* adam, const std::vector<Record>& records,
                  std::vector<uint32_t>* order, const TrainSettings& s, double rate,
                  uint64_t seed);

// Checkpoints: the float network with Adam's state and the epochs done,
// the network's shape and output scale in the header.
bool saveCheckpoint(const char* path, const Network& n, const Adam& adam, int outputScale,
                    int epochs);
bool loadCheckpoint(const char* path, Network* n, Adam* adam, int* outputScale, int* epochs,
                    std::string* error);

}  // namespace net
