// Reading the evaluation script PosVal.txt.
#include "config/evalscript.h"

#include <cstdio>
#include <cstring>

#include "config/textreader.h"

EvalScript evalScript;
int pieceValue[PIECE_KIND_COUNT];
int pieceSquare[PIECE_KIND_COUNT][256];

namespace {

constexpr int GRID_ROWS = 10, GRID_FILES = 9;
// Sensible ranges; values outside them are reported and clamped. They keep
// square values within 16 bits and the line values of the move tables
// (sums of up to 17 weighted grid entries) within 16 bits too.
constexpr int MAX_PIECE_VALUE = 3000;
constexpr int MAX_SQUARE_VALUE = 1000;
constexpr int MAX_LINE_GRID_VALUE = 400;
constexpr float MAX_GRID_WEIGHT = 4.0f;
constexpr int MAX_TERM_VALUE = 1000;
constexpr int MAX_RELATION_VALUE = 255;  // the relation tables keep one byte
constexpr int MAX_STEP = 1000;
constexpr int MAX_LAZY_MARGIN = 4000;
// Built-in values replacing margins that make no sense.
constexpr int DEFAULT_LAZY_MARGIN = 640;
constexpr int DEFAULT_NULL_MOVE_MARGIN = 30;

// Row r of a grid is rank r counted from red's back rank (frame rank 12);
// each row runs from file a to file i.
int gridSquare(int row, int file) { return makeSquare(RANK_BOTTOM - row, FILE_LEFT + file); }

bool readGrid(TextReader& in, int* table) {
  for (int r = 0; r < GRID_ROWS; ++r)
    for (int f = 0; f < GRID_FILES; ++f) {
      int32_t v;
      if (!in.readInt(&v)) return false;
      table[gridSquare(r, f)] = v;
    }
  return true;
}

class RangeCheck {
 public:
  explicit RangeCheck(const char* path) : path_(path) {}
  // Clamps values to [low, high]; one report line per table.
  void clamp(const char* what, int* v, int count, int low, int high) const {
    int clamped = 0;
    for (int i = 0; i < count; ++i) {
      if (v[i] >= low && v[i] <= high) continue;
      v[i] = v[i] < low ? low : high;
      ++clamped;
    }
    if (clamped > 0)
      std::fprintf(stderr, "%s: %d value(s) of %s outside %d..%d clamped\n", path_,
                   clamped, what, low, high);
  }
  void clampGrid(const char* what, int* grid, int limit) const {
    int cells[GRID_ROWS * GRID_FILES];
    for (int i = 0; i < GRID_ROWS * GRID_FILES; ++i) cells[i] = grid[gridSquare(i / 9, i % 9)];
    clamp(what, cells, GRID_ROWS * GRID_FILES, -limit, limit);
    for (int i = 0; i < GRID_ROWS * GRID_FILES; ++i) grid[gridSquare(i / 9, i % 9)] = cells[i];
  }
  void clampWeights(const char* what, float* w) const {
    for (int i = 0; i < 2; ++i) {
      if (w[i] >= -MAX_GRID_WEIGHT && w[i] <= MAX_GRID_WEIGHT) continue;
      std::fprintf(stderr, "%s: weight %g of %s outside %g..%g clamped\n", path_,
                   static_cast<double>(w[i]), what, static_cast<double>(-MAX_GRID_WEIGHT),
                   static_cast<double>(MAX_GRID_WEIGHT));
      w[i] = w[i] < 0 ? -MAX_GRID_WEIGHT : MAX_GRID_WEIGHT;
    }
  }
  void replace(const char* what, int* v, int low, int high, int fallback) const {
    if (*v >= low && *v <= high) return;
    std::fprintf(stderr, "%s: %s %d outside %d..%d; using %d\n", path_, what, *v, low,
                 high, fallback);
    *v = fallback;
  }

 private:
  const char* path_;
};

// Block 1, seven times: label, value, a second number, grid.
bool readPieces(TextReader& in, const RangeCheck& check) {
  static const char* const names[PIECE_TYPE_COUNT] = {
      "king grid", "advisor grid", "elephant grid", "horse grid",
      "rook grid", "cannon grid",  "pawn grid"};
  for (int t = 0; t < PIECE_TYPE_COUNT; ++t) {
    in.skipLabels(1);
    in.readInt(&pieceValue[t]);
    in.readInt(&evalScript.pieceSecond[t]);
    if (!readGrid(in, pieceSquare[t])) return false;
    if (t != KING) check.clamp("a piece value", &pieceValue[t], 1, 0, MAX_PIECE_VALUE);
    check.clampGrid(names[t], pieceSquare[t], MAX_SQUARE_VALUE);
  }
  return true;
}

// A weighted line grid: label, two weights, grid.
void readLineGrid(TextReader& in, const RangeCheck& check, const char* what,
                  float* weights, int* grid) {
  in.skipLabels(1);
  in.readFloat(&weights[0]);
  in.readFloat(&weights[1]);
  readGrid(in, grid);
  check.clampWeights(what, weights);
  check.clampGrid(what, grid, MAX_LINE_GRID_VALUE);
}

void readTerms(TextReader& in, const RangeCheck& check, int labels, const char* what,
               int* v, int count) {
  in.skipLabels(labels);
  in.readInts(v, count);
  check.clamp(what, v, count, -MAX_TERM_VALUE, MAX_TERM_VALUE);
}

void readRelation(TextReader& in, const RangeCheck& check, const char* what,
                  int* fileDistance, int* rankDistance) {
  in.skipLabels(2);
  in.readInts(fileDistance, 11);
  in.readInts(rankDistance, 10);
  check.clamp(what, fileDistance, 11, 0, MAX_RELATION_VALUE);
  check.clamp(what, rankDistance, 10, 0, MAX_RELATION_VALUE);
}

// Blocks 2 to 24.
void readBlocks(TextReader& in, const RangeCheck& check) {
  EvalScript& e = evalScript;
  readLineGrid(in, check, "the rook line grid", e.gridScale2, e.grid2);
  in.skipLabels(1);
  in.readInts(e.pair3, 2);
  readTerms(in, check, 1, "list 3", e.list3, 16);
  readLineGrid(in, check, "the cannon line grid", e.gridScale4, e.grid4);
  readTerms(in, check, 1, "list 5", e.list5, 16);
  readLineGrid(in, check, "grid 6", e.gridScale6, e.grid6);
  readTerms(in, check, 1, "list 7", e.list7, 16);
  in.skipLabels(1);
  if (in.readInt(&e.value8))
    check.replace("the null-move margin", &e.value8, 0, MAX_TERM_VALUE, DEFAULT_NULL_MOVE_MARGIN);
  in.skipLabels(1);
  in.readInts(e.triple9, 3);
  readTerms(in, check, 1, "the tempo and repetition values", &e.evalConstA, 1);
  in.readInt(&e.evalConstB);
  check.clamp("the repetition value", &e.evalConstB, 1, -MAX_TERM_VALUE, MAX_TERM_VALUE);
  in.skipLabels(2);
  if (in.readInt(&e.halvingTable[0]))
    check.replace("the lazy margin", &e.halvingTable[0], 0, MAX_LAZY_MARGIN, DEFAULT_LAZY_MARGIN);
  readTerms(in, check, 1, "the king-danger list", e.list12, 13);
  readTerms(in, check, 1, "list 13", e.list13, 16);
  readTerms(in, check, 2, "list 14", e.list14, 10);
  readTerms(in, check, 1, "value 15", &e.value15a, 1);
  in.readInt(&e.value15b);
  check.clamp("value 15", &e.value15b, 1, -MAX_TERM_VALUE, MAX_TERM_VALUE);
  readTerms(in, check, 2, "list 16", e.list16, 10);
  readTerms(in, check, 2, "list 17", e.list17, 9);
  readTerms(in, check, 2, "the missing-piece penalties", e.triple18, 3);
  readTerms(in, check, 2, "the advisor-loss values", e.pair19, 2);
  readRelation(in, check, "relation 20", e.fileDistance20, e.rankDistance20);
  readRelation(in, check, "relation 21", e.fileDistance21, e.rankDistance21);
  readRelation(in, check, "relation 22", e.fileDistance22, e.rankDistance22);
  readTerms(in, check, 2, "the horse-mobility list", e.list23, 6);
  in.skipLabels(2);
  if (in.readInt(&e.stepTable[6])) check.clamp("the step", &e.stepTable[6], 1, -MAX_STEP, MAX_STEP);
}

}  // namespace

ScriptReadStatus readEvaluationScript(const char* path) {
  evalScript = EvalScript{};
  std::memset(pieceValue, 0, sizeof pieceValue);
  std::memset(pieceSquare, 0, sizeof pieceSquare);
  ScriptReadStatus status;
  TextReader in(path);
  if (!in.isOpen()) return status;
  status.opened = true;
  const RangeCheck check(path);
  status.piecesRead = readPieces(in, check);
  readBlocks(in, check);
  in.skipLabels(2);
  status.endMarkRight = in.readEndMark();
  deriveScriptTables();
  return status;
}

namespace {

constexpr int HALVING_STEPS = 9;
constexpr int STEP_RANGE = 5;
constexpr int RELATION_FILE_LIMIT = 160;  // same file: fewer than 10 ranks apart
constexpr int RELATION_RANK_LIMIT = 8;    // same rank: at most 8 files apart

void buildRelation(uint8_t* table, const int* fileDistance, const int* rankDistance) {
  for (int delta = -256; delta < 256; ++delta) {
    const int d = delta < 0 ? -delta : delta;
    int v = 0;
    if (d < RELATION_FILE_LIMIT && d % 16 == 0)
      v = fileDistance[d / 16];
    else if (d <= RELATION_RANK_LIMIT)
      v = rankDistance[d];
    table[delta + 256] = static_cast<uint8_t>(v & 0xFF);
  }
}

}  // namespace

void deriveScriptTables() {
  EvalScript& e = evalScript;
  for (int i = 1; i < HALVING_STEPS; ++i) e.halvingTable[i] = e.halvingTable[0] >> i;
  const int step = e.stepTable[STEP_RANGE + 1];
  for (int i = -STEP_RANGE; i <= STEP_RANGE; ++i) e.stepTable[i + STEP_RANGE] = i * step;
  buildRelation(e.relation20, e.fileDistance20, e.rankDistance20);
  buildRelation(e.relation21, e.fileDistance21, e.rankDistance21);
  buildRelation(e.relation22, e.fileDistance22, e.rankDistance22);
}
