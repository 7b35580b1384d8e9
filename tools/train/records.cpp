#include "train/records.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "train/bytes.h"

namespace net {
namespace {

constexpr int OCCUPIED_BYTES = 12;
constexpr int PIECES_AT = 12, SIDE_AT = 28, RESULT_AT = 29, SCORE_AT = 30, PLY_AT = 32,
              SPARE_AT = 34;
constexpr uint8_t MAGIC[4] = {'T', 'V', 'N', 'D'};
constexpr int MAX_PIECE_CODE = PIECE_TYPES + RED_PIECE - 1;

bool isBit(const uint8_t* bits, int q) { return (bits[q / 8] >> (q % 8)) & 1; }

}  // namespace

void packRecord(const Position& p, Record* r) {
  std::memset(r->bytes, 0, RECORD_BYTES);
  uint8_t pieceAt[SQUARES];
  for (int i = 0; i < p.count; ++i) {
    r->bytes[p.square[i] / 8] |= static_cast<uint8_t>(1 << (p.square[i] % 8));
    pieceAt[p.square[i]] = p.piece[i];
  }
  int n = 0;
  for (int q = 0; q < SQUARES; ++q) {
    if (!isBit(r->bytes, q)) continue;
    r->bytes[PIECES_AT + n / 2] |= static_cast<uint8_t>(pieceAt[q] << (n % 2 * 4));
    ++n;
  }
  r->bytes[SIDE_AT] = static_cast<uint8_t>(p.side);
  r->bytes[RESULT_AT] = static_cast<uint8_t>(p.result);
  const int score = std::clamp(p.score, int(INT16_MIN), int(INT16_MAX));
  putLittle16(r->bytes + SCORE_AT, static_cast<uint16_t>(static_cast<int16_t>(score)));
  putLittle16(r->bytes + PLY_AT, static_cast<uint16_t>(std::clamp(p.ply, 0, int(UINT16_MAX))));
}

bool unpackRecord(const Record& r, Position* p) {
  const uint8_t* b = r.bytes;
  if (b[OCCUPIED_BYTES - 1] >> (SQUARES % 8) != 0) return false;  // bits past square 89
  if (b[SIDE_AT] > 1 || b[RESULT_AT] > RESULT_WON || b[SPARE_AT] != 0 || b[SPARE_AT + 1] != 0)
    return false;
  p->count = 0;
  for (int q = 0; q < SQUARES; ++q) {
    if (!isBit(b, q)) continue;
    if (p->count == MAX_PIECES) return false;
    const int n = p->count;
    const int code = (b[PIECES_AT + n / 2] >> (n % 2 * 4)) & 15;
    if (code > MAX_PIECE_CODE) return false;
    p->square[n] = static_cast<uint8_t>(q);
    p->piece[n] = static_cast<uint8_t>(code);
    ++p->count;
  }
  // Nibbles past the last piece are 0.
  for (int n = p->count; n < MAX_PIECES; ++n)
    if ((b[PIECES_AT + n / 2] >> (n % 2 * 4)) & 15) return false;
  p->side = b[SIDE_AT];
  p->result = b[RESULT_AT];
  p->score = static_cast<int16_t>(getLittle16(b + SCORE_AT));
  p->ply = getLittle16(b + PLY_AT);
  return true;
}

size_t keepGoodRecords(std::vector<Record>* records) {
  Position p;
  const size_t before = records->size();
  records->erase(std::remove_if(records->begin(), records->end(),
                                [&p](const Record& r) { return !unpackRecord(r, &p); }),
                 records->end());
  return before - records->size();
}

bool writeHeader(std::FILE* out) {
  uint8_t h[HEADER_BYTES] = {};
  std::memcpy(h, MAGIC, 4);
  putLittle32(h + 4, DATA_VERSION);
  putLittle32(h + 8, RECORD_BYTES);
  return std::fwrite(h, 1, HEADER_BYTES, out) == HEADER_BYTES;
}

namespace {

// Opens a TVND file and checks its header; the records follow.
std::FILE* openRecords(const char* path, long* records, std::string* error) {
  std::FILE* in = std::fopen(path, "rb");
  if (in == nullptr) {
    *error = "cannot be read";
    return nullptr;
  }
  uint8_t h[HEADER_BYTES];
  long size = -1;
  if (std::fseek(in, 0, SEEK_END) == 0) size = std::ftell(in);
  std::rewind(in);
  if (size < HEADER_BYTES || std::fread(h, 1, HEADER_BYTES, in) != HEADER_BYTES ||
      std::memcmp(h, MAGIC, 4) != 0) {
    *error = "is no TVND file";
  } else if (getLittle32(h + 4) != DATA_VERSION || getLittle32(h + 8) != RECORD_BYTES ||
             getLittle32(h + 12) != 0) {
    *error = "has a TVND header of another version";
  } else if ((size - HEADER_BYTES) % RECORD_BYTES != 0) {
    *error = "ends inside a record";
  } else {
    *records = (size - HEADER_BYTES) / RECORD_BYTES;
    return in;
  }
  std::fclose(in);
  return nullptr;
}

}  // namespace

bool readRecords(const char* path, std::vector<Record>* out, std::string* error) {
  long count = 0;
  std::FILE* in = openRecords(path, &count, error);
  if (in == nullptr) return false;
  const size_t first = out->size();
  out->resize(first + static_cast<size_t>(count));
  const bool whole =
      count == 0 || std::fread(out->data() + first, RECORD_BYTES, count, in) == size_t(count);
  std::fclose(in);
  if (!whole) {
    out->resize(first);
    *error = "cannot be read";
  }
  return whole;
}

long countRecords(const char* path) {
  long count = 0;
  std::string error;
  std::FILE* in = openRecords(path, &count, &error);
  if (in == nullptr) return -1;
  std::fclose(in);
  return count;
}

bool writeRecords(const char* path, const std::vector<Record>& records) {
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return false;
  bool ok = writeHeader(out) &&
            (records.empty() ||
             std::fwrite(records.data(), RECORD_BYTES, records.size(), out) == records.size());
  ok = std::fclose(out) == 0 && ok;
  return ok;
}

bool prepareRecords(const char* out, const std::vector<const char*>& inputs, uint64_t seed) {
  std::vector<Record> all;
  for (const char* path : inputs) {
    std::string error;
    if (!readRecords(path, &all, &error)) {
      std::fprintf(stderr, "netprep: %s %s\n", path, error.c_str());
      return false;
    }
  }
  const size_t read = all.size();
  auto position = [](const Record& a, const Record& b) {
    return std::memcmp(a.bytes, b.bytes, POSITION_BYTES);
  };
  std::stable_sort(all.begin(), all.end(),
                   [&](const Record& a, const Record& b) { return position(a, b) < 0; });
  all.erase(std::unique(all.begin(), all.end(),
                        [&](const Record& a, const Record& b) { return position(a, b) == 0; }),
            all.end());
  std::mt19937_64 rng(seed);
  for (size_t i = all.size(); i > 1; --i) std::swap(all[i - 1], all[rng() % i]);
  std::fprintf(stderr, "netprep: %zu records read, %zu kept once each\n", read, all.size());
  if (!writeRecords(out, all)) {
    std::fprintf(stderr, "netprep: cannot write %s\n", out);
    return false;
  }
  return true;
}

}  // namespace net
