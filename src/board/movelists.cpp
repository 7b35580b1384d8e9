#include "board/movelists.h"

#include <cmath>
#include <initializer_list>

#include "board/board.h"
#include "board/lines.h"
#include "board/tables.h"
#include "board/zobrist.h"
#include "config/evalscript.h"

TargetNode* PieceTargets[PIECE_KIND_COUNT][256];
uint8_t needsBlockTest[PIECE_KIND_COUNT];
LineMoveRecord* RowMoves[256];
LineMoveRecord* ColMoves[256];
uint32_t ScaleTable[20];

namespace {

constexpr int16_t QUIET_SLIDE_SCORE = -32767;
constexpr double CANNON_HOME_WEIGHT = 0.5;  // cannon line squares towards a side's own back rank

// All quiet slides of every record live in one pool.
Move* quietPool = nullptr;
// The list of NO_SQUARE: the end node alone, shared by every kind.
TargetNode emptyList[PIECE_KIND_COUNT];

struct Step {
  int offset;
  int block;  // offset of the blocking square; 0 for none (the target)
};

constexpr Step KING_STEPS[] = {{1, 0}, {16, 0}, {-1, 0}, {-16, 0}};
constexpr Step ADVISOR_STEPS[] = {{-15, 0}, {17, 0}, {15, 0}, {-17, 0}};
constexpr Step ELEPHANT_STEPS[] = {{-30, -15}, {34, 17}, {30, 15}, {-34, -17}};
constexpr Step HORSE_STEPS[] = {{-14, 1},  {18, 1},   {33, 16},  {31, 16},
                                {14, -1},  {-18, -1}, {-33, -16}, {-31, -16}};
constexpr int RAY_STEPS[] = {1, 16, -1, -16};

// Collects the targets of one kind on one square, in list order.
int collectTargets(int kind, int sq, uint8_t* targets, uint8_t* blocks, int* rayOf) {
  const int side = kind / 7, type = kind % 7;
  int n = 0;
  auto add = [&](int to, int block, int ray) {
    targets[n] = static_cast<uint8_t>(to);
    blocks[n] = static_cast<uint8_t>(block);
    rayOf[n] = ray;
    ++n;
  };
  switch (type) {
    case KING:
      for (const Step& s : KING_STEPS)
        if (PalaceMask[side][sq + s.offset]) add(sq + s.offset, sq + s.offset, n);
      break;
    case ADVISOR:
      for (const Step& s : ADVISOR_STEPS)
        if (PalaceMask[side][sq + s.offset]) add(sq + s.offset, sq + s.offset, n);
      break;
    case ELEPHANT:
      for (const Step& s : ELEPHANT_STEPS) {
        const int to = sq + s.offset;
        if (to >= 0 && to < 256 && InBoard[to] && relativeRow(side, to) <= 4)
          add(to, sq + s.block, n);
      }
      break;
    case HORSE:
      for (const Step& s : HORSE_STEPS) {
        const int to = sq + s.offset;
        if (to >= 0 && to < 256 && InBoard[to]) add(to, sq + s.block, n);
      }
      break;
    case ROOK:
    case CANNON:
      for (int ray = 0; ray < 4; ++ray)
        for (int to = sq + RAY_STEPS[ray]; to >= 0 && to < 256 && InBoard[to]; to += RAY_STEPS[ray])
          add(to, to, ray);
      break;
    case PAWN: {
      const int row = relativeRow(side, sq), col = fileOf(sq) - FILE_LEFT;
      if (row < 9) add(sq + (side == RED ? -16 : 16), sq + (side == RED ? -16 : 16), n);
      if (row >= 5) {
        if (col > 0) add(sq - 1, sq - 1, n);
        if (col < 8) add(sq + 1, sq + 1, n);
      }
      break;
    }
  }
  return n;
}

void buildTargetLists() {
  for (int kind = 0; kind < PIECE_KIND_COUNT; ++kind) {
    const int type = kind % 7;
    needsBlockTest[kind] = type == ELEPHANT || type == HORSE;
    const int code = FIRST_INDEX_OF_TYPE[type] + sideBase(kind / 7);
    for (int sq = 0; sq < 256; ++sq) {
      PieceTargets[kind][sq] = nullptr;
      if (!squareAllowedFor(code, sq)) continue;
      uint8_t targets[17], blocks[17];
      int rayOf[17];
      const int n = collectTargets(kind, sq, targets, blocks, rayOf);
      TargetNode* list = new TargetNode[n + 1];
      for (int i = 0; i < n; ++i) {
        TargetNode& node = list[i];
        node.target = targets[i];
        node.block = blocks[i];
        node.keyChange = zobristKind[kind][sq] ^ zobristKind[kind][targets[i]];
        node.scoreChange = pieceSquare[kind][targets[i]] - pieceSquare[kind][sq];
        // Linear kinds chain node to node; rays chain to the next ray.
        int j = i + 1;
        if (type == ROOK || type == CANNON)
          while (j < n && rayOf[j] == rayOf[i]) ++j;
        node.next = j < n ? &list[j] : nullptr;
      }
      list[n] = TargetNode{NO_SQUARE, NO_SQUARE, nullptr, 0, 0};
      PieceTargets[kind][sq] = list;
    }
    emptyList[kind] = TargetNode{NO_SQUARE, NO_SQUARE, nullptr, 0, 0};
    PieceTargets[kind][NO_SQUARE] = &emptyList[kind];
  }
}

int16_t clampToI16(double v) {
  v = std::trunc(v);
  if (v > 32767) return 32767;
  if (v < -32768) return -32768;
  return static_cast<int16_t>(v);
}

// One line: the squares of its positions and which table it is.
struct LineGeometry {
  bool column;
  int sq;        // the piece's square
  int base;      // add a stored position to get a square
  int ownPos;    // the piece's own stored position
  int stepPos;   // distance between neighbouring positions
};

LineCapture lineCapture(int sq, int to) {
  return LineCapture{moveFromTo(sq, to, 0), static_cast<uint8_t>(to)};
}

void fillRookValue(const LineGeometry& g, const LineEntry& e, LineMoveRecord& r) {
  const double w = evalScript.gridScale2[g.column ? 1 : 0];
  double v0 = 0, v1 = 0;
  for (int p = e.lastEmptyLow; p <= e.lastEmptyHigh; p += g.stepPos) {
    if (p == g.ownPos) continue;
    v0 += evalScript.grid2[g.base + p];
    v1 += evalScript.grid2[flipRank(g.base + p)];
  }
  double black = std::trunc(v0 * w), red = std::trunc(v1 * w);
  for (int p : {static_cast<int>(e.firstHigh), static_cast<int>(e.firstLow)}) {
    if (p == g.ownPos) continue;
    black = std::trunc(evalScript.grid2[g.base + p] * w + black);
    red = std::trunc(evalScript.grid2[flipRank(g.base + p)] * w + red);
  }
  r.rookValue[BLACK] = clampToI16(black);
  r.rookValue[RED] = clampToI16(red);
}

void fillCannonValue(const LineGeometry& g, const LineEntry& e, unsigned pattern,
                     int linePositions, LineMoveRecord& r) {
  double v0 = 0, v1 = 0;
  for (int dir = -1; dir <= 1; dir += 2) {
    const int first = dir < 0 ? e.firstLow : e.firstHigh;
    if (first == g.ownPos) continue;
    const int lowestPos = g.column ? RANK_TOP * 16 : FILE_LEFT;
    for (int p = first + dir * g.stepPos;; p += dir * g.stepPos) {
      const int index = (p - lowestPos) / g.stepPos;
      if (index < 0 || index >= linePositions) break;
      const int s = g.base + p;
      const double a = evalScript.grid4[s], b = evalScript.grid4[flipRank(s)];
      if (!g.column) {
        v0 += a;
        v1 += b;
      } else if (dir < 0) {  // towards black's back rank
        v0 = std::trunc(a * CANNON_HOME_WEIGHT + v0);
        v1 += b;
      } else {  // towards red's back rank
        v0 += a;
        v1 = std::trunc(b * CANNON_HOME_WEIGHT + v1);
      }
      if (pattern & (1u << index)) break;  // the second piece: counted, stop
    }
  }
  const double w = evalScript.gridScale4[g.column ? 1 : 0];
  r.cannonValue[BLACK] = clampToI16(v0 * w);
  r.cannonValue[RED] = clampToI16(v1 * w);
}

void fillRecord(const LineGeometry& g, const LineEntry& e, unsigned pattern,
                int linePositions, Move*& pool, LineMoveRecord& r) {
  const int sq = g.sq;
  int count = 0;
  Move* quiet = pool;
  for (int p = e.lastEmptyLow; p <= e.lastEmptyHigh; p += g.stepPos)
    if (p != g.ownPos) quiet[count++] = moveFromTo(sq, g.base + p, QUIET_SLIDE_SCORE);
  pool += count;
  r.quietCount = static_cast<uint8_t>(count);
  r.quietMoves = count > 0 ? quiet : nullptr;
  r.rookCaptureLow = lineCapture(sq, g.base + e.firstLow);
  r.rookCaptureHigh = lineCapture(sq, g.base + e.firstHigh);
  r.cannonCaptureLow = lineCapture(sq, g.base + e.secondLow);
  r.cannonCaptureHigh = lineCapture(sq, g.base + e.secondHigh);
  fillRookValue(g, e, r);
  fillCannonValue(g, e, pattern, linePositions, r);
}

int quietSlideTotal() {
  int total = 0;
  for (int sq = 0; sq < 256; ++sq) {
    if (!InBoard[sq]) continue;
    for (unsigned b = 0; b < ROW_PATTERNS; ++b) {
      const LineEntry& e = RowLines[fileOf(sq)][b];
      total += e.lastEmptyHigh - e.lastEmptyLow;
    }
    for (unsigned b = 0; b < COL_PATTERNS; ++b) {
      const LineEntry& e = ColLines[rankOf(sq)][b];
      total += (e.lastEmptyHigh - e.lastEmptyLow) >> 4;
    }
  }
  return total;
}

void buildLineMoves() {
  quietPool = new Move[quietSlideTotal()];
  Move* pool = quietPool;
  for (int sq = 0; sq < 256; ++sq) {
    RowMoves[sq] = ColMoves[sq] = nullptr;
    if (!InBoard[sq]) continue;
    const int r = rankOf(sq), f = fileOf(sq);
    RowMoves[sq] = new LineMoveRecord[ROW_PATTERNS];
    ColMoves[sq] = new LineMoveRecord[COL_PATTERNS];
    const LineGeometry row{false, sq, r * 16, f, 1};
    for (unsigned b = 0; b < ROW_PATTERNS; ++b)
      fillRecord(row, RowLines[f][b], b, 9, pool, RowMoves[sq][b]);
    const LineGeometry col{true, sq, f, r * 16, 16};
    for (unsigned b = 0; b < COL_PATTERNS; ++b)
      fillRecord(col, ColLines[r][b], b, 10, pool, ColMoves[sq][b]);
  }
}

}  // namespace

void buildMoveTables() {
  freeMoveTables();
  buildLineTables();
  buildTargetLists();
  buildLineMoves();
  for (int i = 0; i < 20; ++i) ScaleTable[i] = 4u * i;
}

void freeMoveTables() {
  for (int sq = 0; sq < 256; ++sq) {
    delete[] RowMoves[sq];
    delete[] ColMoves[sq];
    RowMoves[sq] = ColMoves[sq] = nullptr;
  }
  delete[] quietPool;
  quietPool = nullptr;
  for (int kind = 0; kind < PIECE_KIND_COUNT; ++kind)
    for (int sq = 1; sq < 256; ++sq) {
      delete[] PieceTargets[kind][sq];
      PieceTargets[kind][sq] = nullptr;
    }
}
