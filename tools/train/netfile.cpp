#include "train/netfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "train/bytes.h"

namespace net {
namespace {

constexpr uint8_t MAGIC[4] = {'T', 'V', 'N', 'N'};
constexpr uint32_t FNV_OFFSET = 2166136261u, FNV_PRIME = 16777619u;

template <typename T>
T rounded(float v, float scale) {
  return static_cast<T>(std::lround(double(v) * scale));
}

size_t payloadBytes(int hidden, int buckets) {
  return 2 * size_t(INPUTS) * hidden + 2 * size_t(hidden) + 2 * size_t(buckets) * 2 * hidden +
         4 * size_t(buckets);
}

void shape(IntNetwork* q, int hidden, int buckets) {
  q->hidden = hidden;
  q->buckets = buckets;
  q->weight.assign(size_t(INPUTS) * hidden, 0);
  q->bias.assign(hidden, 0);
  q->outWeight.assign(size_t(2) * hidden * buckets, 0);
  q->outBias.assign(buckets, 0);
}

std::vector<uint8_t> payloadOf(const IntNetwork& q) {
  std::vector<uint8_t> out(payloadBytes(q.hidden, q.buckets));
  uint8_t* p = out.data();
  for (int16_t v : q.weight) putLittle16(p, uint16_t(v)), p += 2;
  for (int16_t v : q.bias) putLittle16(p, uint16_t(v)), p += 2;
  for (int16_t v : q.outWeight) putLittle16(p, uint16_t(v)), p += 2;
  for (int32_t v : q.outBias) putLittle32(p, uint32_t(v)), p += 4;
  return out;
}

void readPayload(const uint8_t* p, IntNetwork* q) {
  for (int16_t& v : q->weight) v = int16_t(getLittle16(p)), p += 2;
  for (int16_t& v : q->bias) v = int16_t(getLittle16(p)), p += 2;
  for (int16_t& v : q->outWeight) v = int16_t(getLittle16(p)), p += 2;
  for (int32_t& v : q->outBias) v = int32_t(getLittle32(p)), p += 4;
}

}  // namespace

void quantise(const Network& n, int outputScale, IntNetwork* q) {
  shape(q, n.hidden, n.buckets);
  q->outputScale = outputScale;
  const float* w = n.params.data();
  for (size_t i = 0; i < q->weight.size(); ++i) q->weight[i] = rounded<int16_t>(w[i], QA);
  for (int i = 0; i < n.hidden; ++i) q->bias[i] = rounded<int16_t>(w[n.biasAt() + i], QA);
  for (size_t i = 0; i < q->outWeight.size(); ++i)
    q->outWeight[i] = rounded<int16_t>(w[n.outWeightAt() + i], QB);
  for (int b = 0; b < n.buckets; ++b)
    q->outBias[b] = rounded<int32_t>(w[n.outBiasAt() + b], float(QA) * QB);
}

void dequantise(const IntNetwork& q, Network* n) {
  n->hidden = q.hidden;
  n->buckets = q.buckets;
  n->params.assign(n->size(), 0.0f);
  float* w = n->params.data();
  for (size_t i = 0; i < q.weight.size(); ++i) w[i] = float(q.weight[i]) / QA;
  for (int i = 0; i < q.hidden; ++i) w[n->biasAt() + i] = float(q.bias[i]) / QA;
  for (size_t i = 0; i < q.outWeight.size(); ++i) w[n->outWeightAt() + i] = float(q.outWeight[i]) / QB;
  for (int b = 0; b < q.buckets; ++b) w[n->outBiasAt() + b] = float(q.outBias[b]) / (float(QA) * QB);
}

uint32_t fnv1a(const uint8_t* bytes, size_t count) {
  uint32_t h = FNV_OFFSET;
  for (size_t i = 0; i < count; ++i) h = (h ^ bytes[i]) * FNV_PRIME;
  return h;
}

bool writeNetFile(const char* path, const IntNetwork& q) {
  const std::vector<uint8_t> payload = payloadOf(q);
  uint8_t h[NET_HEADER_BYTES];
  std::memcpy(h, MAGIC, 4);
  const uint32_t fields[8] = {NET_VERSION, INPUTS, uint32_t(q.hidden), uint32_t(q.buckets),
                              QA, QB, uint32_t(q.outputScale), uint32_t(payload.size())};
  for (int i = 0; i < 8; ++i) putLittle32(h + 4 + 4 * i, fields[i]);
  putLittle32(h + 36, fnv1a(payload.data(), payload.size()));
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return false;
  bool ok = std::fwrite(h, 1, sizeof h, out) == sizeof h &&
            std::fwrite(payload.data(), 1, payload.size(), out) == payload.size();
  ok = std::fclose(out) == 0 && ok;
  return ok;
}

bool readNetFile(const char* path, IntNetwork* q, std::string* error) {
  std::FILE* in = std::fopen(path, "rb");
  if (in == nullptr) {
    *error = "cannot be read";
    return false;
  }
  std::vector<uint8_t> bytes;
  uint8_t chunk[1 << 16];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
    bytes.insert(bytes.end(), chunk, chunk + got);
  std::fclose(in);
  const uint8_t* h = bytes.data();
  auto field = [h](int at) { return getLittle32(h + at); };
  if (bytes.size() < NET_HEADER_BYTES || std::memcmp(h, MAGIC, 4) != 0) {
    *error = "is no TVNN file";
  } else if (field(4) != NET_VERSION || field(8) != uint32_t(INPUTS) || field(20) != QA ||
             field(24) != QB) {
    *error = "has another version, input count or quantisation";
  } else if (field(12) > MAX_HIDDEN || field(16) > MAX_BUCKETS ||
             !validShape(int(field(12)), int(field(16)))) {
    *error = "has a layer size out of range";
  } else if (field(28) < 1 || field(28) > MAX_OUTPUT_SCALE) {
    *error = "has an output scale out of range";
  } else if (field(32) != payloadBytes(int(field(12)), int(field(16))) ||
             bytes.size() != NET_HEADER_BYTES + size_t(field(32))) {
    *error = "has the wrong length";
  } else if (fnv1a(h + NET_HEADER_BYTES, field(32)) != field(36)) {
    *error = "fails its checksum";
  } else {
    shape(q, int(field(12)), int(field(16)));
    q->outputScale = int(field(28));
    readPayload(h + NET_HEADER_BYTES, q);
    return true;
  }
  return false;
}

int integerScore(const IntNetwork& q, const Position& p, bool* overflow) {
  const int h = q.hidden;
  Inputs in;
  inputsOf(p, &in);
  const int bucket = bucketOf(p.count, q.buckets);
  int64_t out = q.outBias[bucket];
  int32_t acc[MAX_HIDDEN];
  for (int view = 0; view < 2; ++view) {
    for (int i = 0; i < h; ++i) acc[i] = q.bias[i];
    for (int k = 0; k < in.count; ++k) {
      const int16_t* row = q.weight.data() + size_t(in.index[view][k]) * h;
      for (int i = 0; i < h; ++i) acc[i] += row[i];
    }
    const int16_t* w = q.outWeight.data() + size_t(2) * h * bucket + view * h;
    for (int i = 0; i < h; ++i) {
      if (overflow != nullptr && (acc[i] < INT16_MIN || acc[i] > INT16_MAX)) *overflow = true;
      out += int64_t(std::min(std::max(acc[i], 0), QA)) * w[i];
    }
  }
  if (overflow != nullptr && (out < INT32_MIN || out > INT32_MAX)) *overflow = true;
  return static_cast<int>(out * q.outputScale / (QA * QB));
}

}  // namespace net
