// Quiet moves that give check: discovered rook and cannon checks, second
// screens for a cannon, cannon and rook checks along the king's lines, and
// horse checks (direct and discovered).
#include "movegen/checks.h"
#include "movegen/genhelpers.h"

namespace {

// Non-captures leaving a rank ray (along the file, horse, guard) or a file
// ray (along the rank, horse, guard).
constexpr int OFF_RANK = MASK_FILE | MASK_HORSE | MASK_GUARD;
constexpr int OFF_FILE = MASK_RANK | MASK_HORSE | MASK_GUARD;

struct Ray {
  bool file;
  bool high;
};
constexpr Ray RAYS[4] = {{false, true}, {false, false}, {true, true}, {true, false}};

// A diagonal neighbour X of the king, the horse's two checking squares
// through it, and for a rook or cannon on X with the horse on one of them,
// the slides that uncover the horse: offset and whether the first square
// (next to the king) is left out.
struct Slide {
  int step;
  bool skipFirst;
};
struct HorseCorner {
  int x;
  int checking[2];
  Slide slides[2][3];
};
constexpr HorseCorner CORNERS[4] = {
    {-17, {-18, -33}, {{{-16, false}, {16, true}, {1, true}}, {{-1, false}, {1, true}, {16, true}}}},
    {-15, {-14, -31}, {{{-16, false}, {16, true}, {-1, true}}, {{-1, true}, {1, false}, {16, true}}}},
    {15, {14, 31}, {{{-16, true}, {16, false}, {1, true}}, {{-1, false}, {1, true}, {-16, true}}}},
    {17, {18, 33}, {{{-16, true}, {16, false}, {-1, true}}, {{-1, true}, {1, false}, {-16, true}}}},
};

struct Generator {
  Generator(const Board& board, int s, Move* buffer)
      : b(board), side(s), K(board.kingSquare(otherSide(s))), buf(buffer),
        screenLow(K), screenHigh(K) {}

  const Board& b;
  int side;
  int K;  // the king to be checked
  Move* buf;
  int n = 0;
  int recorded[8] = {};  // squares of the discovered-check movers
  int recordedCount = 0;
  int rankRecordedCount = 0;
  // Squares on K's rank served by the rank rays' screen placement lie
  // strictly between these.
  int screenLow;
  int screenHigh;

  bool own(int sq) const { return sq != NO_SQUARE && sideOfCode(b.squares[sq]) == side; }
  bool ownType(int sq, int type) const { return sq != NO_SQUARE && gen::isPiece(b, sq, side, type); }

  void quietsOff(int sq, bool fileRay) {
    n += generateQuietsFrom(b, sq, buf + n, fileRay ? OFF_FILE : OFF_RANK);
    recorded[recordedCount++] = sq;
  }
  bool recordedOnRank(int sq) const {
    for (int i = 0; i < rankRecordedCount; ++i)
      if (recorded[i] == sq) return true;
    return false;
  }
  bool isRecorded(int sq) const {
    for (int i = 0; i < recordedCount; ++i)
      if (recorded[i] == sq) return true;
    return false;
  }
  template <typename Drop>
  void dropFrom(int start, Drop drop) {
    for (int i = start; i < n;)
      if (drop(buf[i]))
        buf[i] = buf[--n];
      else
        ++i;
  }
  // Own pieces of `type` nearest to sq on the line crossing the ray there.
  void crossingArrivals(int sq, bool fileRay, int type) {
    int ends[2];
    if (fileRay) {
      const LineEntry& e = RowLines[fileOf(sq)][b.bitRows[rankOf(sq)]];
      ends[0] = rankOf(sq) * 16 + e.firstHigh;
      ends[1] = rankOf(sq) * 16 + e.firstLow;
    } else {
      const LineEntry& e = ColLines[rankOf(sq)][b.bitCols[fileOf(sq)]];
      ends[0] = e.firstHigh + fileOf(sq);
      ends[1] = e.firstLow + fileOf(sq);
    }
    for (int from : ends)
      if (from != sq && ownType(from, type)) gen::add(buf, n, from, sq);
  }

  void ray(const Ray& ray) {
    const int r = rankOf(K), f = fileOf(K);
    const LineEntry& e = ray.file ? ColLines[r][b.bitCols[f]] : RowLines[f][b.bitRows[r]];
    const int ownPos = ray.file ? r * 16 : f;
    auto square = [&](int pos) {
      if (pos == ownPos) return static_cast<int>(NO_SQUARE);
      return ray.file ? pos + f : r * 16 + pos;
    };
    const int b1 = square(ray.high ? e.firstHigh : e.firstLow);
    const int b2 = square(ray.high ? e.secondHigh : e.secondLow);
    const int b3 = square(ray.high ? e.thirdHigh : e.thirdLow);
    const int step = (ray.file ? 16 : 1) * (ray.high ? 1 : -1);

    // 1. Discovered checks.
    const int start = n;
    if (b2 != NO_SQUARE) {
      const bool b1Own = own(b1), b2Own = own(b2), b2Rook = ownType(b2, ROOK);
      if (b1Own && b2Rook) quietsOff(b1, ray.file);
      if (ownType(b3, CANNON)) {
        if (!b1Own && b2Own) {
          quietsOff(b2, ray.file);
        } else if (b1Own && !b2Rook) {
          quietsOff(b1, ray.file);
          if (b2Own) quietsOff(b2, ray.file);
        } else if (b1Own && b2Rook) {
          quietsOff(b2, ray.file);
        }
      }
    }
    if (ray.file)  // already produced as screens by the rank rays
      dropFrom(start, [&](Move m) { return m.to > screenLow && m.to < screenHigh; });

    // 2. A second screen in front of an own cannon.
    const bool b1Cannon = ownType(b1, CANNON);
    if (b1Cannon) {
      const int placed = n;
      for (int sq = K + step; sq != b1; sq += step)
        n += generateMovesTo(b, sq, side, buf + n, ray.file ? OFF_FILE : OFF_RANK);
      if (ray.file)  // the rank rays' movers produced these already
        dropFrom(placed, [&](Move m) { return recordedOnRank(m.from); });
      else if (ray.high)
        screenHigh = b1;
      else
        screenLow = b1;
    }

    // 3. Cannon checks over b1.
    if (b1 != NO_SQUARE)
      for (int sq = b1 + step; b.squares[sq] == EMPTY; sq += step)
        crossingArrivals(sq, ray.file, CANNON);

    // 4. Rook checks on the open part of the ray.
    if (!b1Cannon)
      for (int sq = K + step; b.squares[sq] == EMPTY; sq += step)
        crossingArrivals(sq, ray.file, ROOK);
  }

  void horseChecks() {
    bool cornerServed[4] = {false, false, false, false};
    for (int i = HORSE_INDEX; i < ROOK_INDEX; ++i) {
      const int h = b.pieceList[sideBase(side) + i];
      if (h == NO_SQUARE || isRecorded(h)) continue;
      for (int c = 0; c < 4; ++c) {
        const HorseCorner& corner = CORNERS[c];
        const int x = K + corner.x;
        const int code = b.squares[x];
        if (code == EMPTY) {
          for (int d : corner.checking) {
            const int to = K + d;
            if (b.squares[to] == EMPTY && b.squares[h + HorseLeg[to - h]] == EMPTY)
              gen::add(buf, n, h, to);
          }
        } else if (sideOfCode(code) == side &&
                   (PieceTypeOf[code] == ROOK || PieceTypeOf[code] == CANNON)) {
          for (int k = 0; k < 2; ++k) {
            // With both horses on this corner's squares, both slide sets
            // come down to the same moves: produce them once.
            if (h != K + corner.checking[k] || cornerServed[c]) continue;
            cornerServed[c] = true;
            for (const Slide& s : corner.slides[k]) uncover(x, s);
          }
        }
      }
    }
  }
  void uncover(int x, const Slide& s) {
    int sq = x + s.step;
    if (s.skipFirst) {
      if (b.squares[sq] != EMPTY) return;
      sq += s.step;
    }
    for (; b.squares[sq] == EMPTY; sq += s.step) gen::add(buf, n, x, sq);
  }
};

}  // namespace

int generateQuietChecks(const Board& b, int side, Move* buf, int mode) {
  Generator g(b, side, buf);
  g.ray(RAYS[0]);
  g.ray(RAYS[1]);
  g.rankRecordedCount = g.recordedCount;
  g.ray(RAYS[2]);
  g.ray(RAYS[3]);
  if (mode & QUIET_CHECKS_WITH_HORSES) g.horseChecks();
  return g.n;
}
