// Network.nnue: the weights of the learned evaluation, read once at
// start-up into one engine-wide table (data/README.md describes the file).
#pragma once

#include <cstddef>
#include <cstdint>

// ---- the shape of the net and of its file
constexpr int NET_SQUARES = 90;
constexpr int NET_KINDS = 14;                     // type, + 7 for the other side's
constexpr int NET_INPUTS = NET_KINDS * NET_SQUARES;  // 1260
constexpr int NET_MIN_HIDDEN = 16;
constexpr int NET_MAX_HIDDEN = 1024;
constexpr int NET_HIDDEN_STEP = 16;               // H is a multiple of this
constexpr int NET_MAX_BUCKETS = 16;
constexpr int NET_QA = 255;                       // activations clipped to 0..QA
constexpr int NET_QB = 64;                        // output weights' scale
constexpr int NET_MAX_OUTPUT_SCALE = 10000;
constexpr int NET_VERSION = 1;
constexpr int NET_HEADER_BYTES = 40;
constexpr int NET_MAX_PIECES = 32;
constexpr const char* NET_FILE_NAME = "Network.nnue";

// Payload bytes of a net with H hidden values per view and B buckets.
constexpr int64_t netPayloadBytes(int64_t hidden, int64_t buckets) {
  return 2 * NET_INPUTS * hidden + 2 * hidden + 2 * buckets * 2 * hidden + 4 * buckets;
}

// The loaded net. The pointers lead into the engine-wide weight table; the
// bucket of a position is bucketOfPieces[number of pieces on the board].
struct Network {
  bool loaded;
  int32_t hidden;       // H
  int32_t buckets;      // B
  int32_t outputScale;
  const int16_t* weight;     // [NET_INPUTS][H]
  const int16_t* bias;       // [H]
  const int16_t* outWeight;  // [B][2H]: the mover's view, then the other's
  int32_t outBias[NET_MAX_BUCKETS];
  uint8_t bucketOfPieces[NET_MAX_PIECES + 1];
};

extern Network network;

constexpr size_t NET_REASON_MAX = 160;

// Reads and checks the file (every header field, the length, the
// checksum). True when the net is loaded; otherwise the net is absent and
// `reason` (NET_REASON_MAX characters) says why in a few words. Read once at
// start-up: a board's accumulators hold the sums of the net they were
// computed with until its position is set up again.
bool loadNetwork(const char* path, char* reason);
// Forgets the net: the evaluation is the script's again.
void unloadNetwork();

// FNV-1a, 32 bits: the checksum of the payload.
uint32_t fnv1a(const uint8_t* bytes, size_t length);
