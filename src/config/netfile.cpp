#include "config/netfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the net's payload is read as a little-endian memory image");

Network network;

namespace {

constexpr int64_t NET_MAX_PAYLOAD = netPayloadBytes(NET_MAX_HIDDEN, NET_MAX_BUCKETS);
constexpr uint32_t FNV_OFFSET = 2166136261u;
constexpr uint32_t FNV_PRIME = 16777619u;

// The payload of the largest net the engine takes, read in place: the
// pages of a smaller net's tail are never touched.
alignas(64) int16_t weightTable[NET_MAX_PAYLOAD / 2];

uint32_t fieldAt(const uint8_t* header, int offset) {
  return static_cast<uint32_t>(header[offset]) | static_cast<uint32_t>(header[offset + 1]) << 8 |
         static_cast<uint32_t>(header[offset + 2]) << 16 |
         static_cast<uint32_t>(header[offset + 3]) << 24;
}

// The header's verdict: "" when every field is right.
void checkHeader(const uint8_t* h, char* reason) {
  const uint32_t hidden = fieldAt(h, 12), buckets = fieldAt(h, 16);
  const uint32_t scale = fieldAt(h, 28);
  if (std::memcmp(h, "TVNN", 4) != 0)
    std::snprintf(reason, NET_REASON_MAX, "no TVNN mark: not a network file");
  else if (fieldAt(h, 4) != NET_VERSION)
    std::snprintf(reason, NET_REASON_MAX, "format version %u, the engine reads %d", fieldAt(h, 4),
                  NET_VERSION);
  else if (fieldAt(h, 8) != NET_INPUTS)
    std::snprintf(reason, NET_REASON_MAX, "%u inputs, not %d", fieldAt(h, 8), NET_INPUTS);
  else if (hidden < NET_MIN_HIDDEN || hidden > NET_MAX_HIDDEN || hidden % NET_HIDDEN_STEP != 0)
    std::snprintf(reason, NET_REASON_MAX, "%u hidden values, not a multiple of %d in %d..%d",
                  hidden, NET_HIDDEN_STEP, NET_MIN_HIDDEN, NET_MAX_HIDDEN);
  else if (buckets < 1 || buckets > NET_MAX_BUCKETS)
    std::snprintf(reason, NET_REASON_MAX, "%u output buckets, not 1..%d", buckets,
                  NET_MAX_BUCKETS);
  else if (fieldAt(h, 20) != NET_QA || fieldAt(h, 24) != NET_QB)
    std::snprintf(reason, NET_REASON_MAX, "scales QA %u and QB %u, not %d and %d", fieldAt(h, 20),
                  fieldAt(h, 24), NET_QA, NET_QB);
  else if (scale < 1 || scale > NET_MAX_OUTPUT_SCALE)
    std::snprintf(reason, NET_REASON_MAX, "output scale %u, not 1..%d", scale,
                  NET_MAX_OUTPUT_SCALE);
  else if (fieldAt(h, 32) != netPayloadBytes(hidden, buckets))
    std::snprintf(reason, NET_REASON_MAX, "payload of %u bytes announced, %u for its sizes",
                  fieldAt(h, 32), static_cast<unsigned>(netPayloadBytes(hidden, buckets)));
  else
    reason[0] = '\0';
}

// Points the net into the table once the whole file has passed.
void adopt(const uint8_t* header) {
  const int hidden = static_cast<int>(fieldAt(header, 12));
  const int buckets = static_cast<int>(fieldAt(header, 16));
  network.hidden = hidden;
  network.buckets = buckets;
  network.outputScale = static_cast<int32_t>(fieldAt(header, 28));
  network.weight = weightTable;
  network.bias = weightTable + NET_INPUTS * hidden;
  network.outWeight = network.bias + hidden;
  std::memcpy(network.outBias, network.outWeight + buckets * 2 * hidden,
              sizeof(int32_t) * buckets);
  for (int pieces = 0; pieces <= NET_MAX_PIECES; ++pieces)
    network.bucketOfPieces[pieces] =
        static_cast<uint8_t>((pieces > 0 ? pieces - 1 : 0) * buckets / NET_MAX_PIECES);
  network.loaded = true;
}

}  // namespace

uint32_t fnv1a(const uint8_t* bytes, size_t length) {
  uint32_t h = FNV_OFFSET;
  for (size_t i = 0; i < length; ++i) h = (h ^ bytes[i]) * FNV_PRIME;
  return h;
}

void unloadNetwork() { network.loaded = false; }

bool loadNetwork(const char* path, char* reason) {
  network.loaded = false;
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) {
    std::snprintf(reason, NET_REASON_MAX, "cannot be opened (%s)", std::strerror(errno));
    return false;
  }
  uint8_t header[NET_HEADER_BYTES];
  const size_t got = std::fread(header, 1, sizeof header, f);
  if (got < sizeof header)
    std::snprintf(reason, NET_REASON_MAX, "%u bytes, shorter than the %d-byte header",
                  static_cast<unsigned>(got), NET_HEADER_BYTES);
  else
    checkHeader(header, reason);
  if (reason[0] == '\0') {
    const size_t length = fieldAt(header, 32);
    auto* payload = reinterpret_cast<uint8_t*>(weightTable);
    const size_t read = std::fread(payload, 1, length, f);
    uint8_t extra;
    if (read < length)
      std::snprintf(reason, NET_REASON_MAX, "payload cut short: %u of %u bytes",
                    static_cast<unsigned>(read), static_cast<unsigned>(length));
    else if (std::fread(&extra, 1, 1, f) == 1)
      std::snprintf(reason, NET_REASON_MAX, "bytes past the %u-byte payload",
                    static_cast<unsigned>(length));
    else if (fnv1a(payload, length) != fieldAt(header, 36))
      std::snprintf(reason, NET_REASON_MAX, "checksum %08x, the header says %08x",
                    fnv1a(payload, length), fieldAt(header, 36));
    else
      adopt(header);
  }
  std::fclose(f);
  return network.loaded;
}
