#include "tune/tuner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "board/board.h"
#include "board/tables.h"
#include "config/evalscript.h"
#include "config/searchoptions.h"
#include "eval/evaltables.h"
#include "eval/evaluate.h"
#include "frontend/position.h"
#include "platform/platform.h"

namespace tune {
namespace {

constexpr int GRID_ROWS = 10, GRID_FILES = 9;
constexpr int PIECE_VALUE_MAX = 3000, SQUARE_VALUE_MAX = 1000, TERM_MAX = 1000;
constexpr int RELATION_MAX = 255;
// Relation tables: same file up to 9 ranks apart, same rank up to 8 files.
constexpr int RELATION_FILE_STEPS = 10, RELATION_RANK_STEPS = 8;
constexpr int STEP_RANGE = 5;

int gridSquare(int row, int file) { return makeSquare(RANK_BOTTOM - row, FILE_LEFT + file); }

Param term(const char* name, int index, int* value, int low = -TERM_MAX, int high = TERM_MAX) {
  Param p;
  p.kind = ParamKind::Term;
  p.value = value;
  p.low = low;
  p.high = high;
  p.name = std::string(name) + "[" + std::to_string(index) + "]";
  return p;
}

void addTerms(std::vector<Param>& out, const char* name, int* values, int first, int last) {
  for (int i = first; i <= last; ++i) out.push_back(term(name, i, &values[i]));
}

void addRelation(std::vector<Param>& out, const char* name, int* fileDistance,
                 int* rankDistance, uint8_t* table) {
  for (int k = 0; k < RELATION_FILE_STEPS; ++k) {
    Param p = term(name, k, &fileDistance[k], 0, RELATION_MAX);
    p.name += "file";
    p.relation = table;
    p.relationDelta = 16 * k;
    out.push_back(p);
  }
  for (int d = 1; d <= RELATION_RANK_STEPS; ++d) {
    Param p = term(name, d, &rankDistance[d], 0, RELATION_MAX);
    p.name += "rank";
    p.relation = table;
    p.relationDelta = d;
    out.push_back(p);
  }
}

inline double logistic(double x) { return 1.0 / (1.0 + std::exp(-x)); }

int evaluateRed(Board& b) {
  int threats = 0;
  const int s = evaluate(b, 0, -MATE, MATE, &threats);
  return b.sideToMove == RED ? s : -s;
}

}  // namespace

std::string buildDirectory(const char* argv0) {
  std::string tools, build, name;
  splitPath(programPath(argv0), &tools, &name);
  splitPath(tools.substr(0, tools.size() - 1), &build, &name);
  return build;
}

std::vector<Param> scriptParams(bool phase) {
  static const char* const TYPE_NAMES[PIECE_TYPE_COUNT] = {
      "king", "advisor", "elephant", "horse", "rook", "cannon", "pawn"};
  std::vector<Param> out;
  auto value = [&out](ParamKind kind, int type, int low, const std::string& name) {
    Param p;
    p.kind = kind;
    p.type = type;
    p.low = low;
    p.high = PIECE_VALUE_MAX;
    p.name = name;
    out.push_back(p);
  };
  for (int t = ADVISOR; t < PIECE_TYPE_COUNT; ++t)
    value(ParamKind::Material, t, 0, std::string(TYPE_NAMES[t]) + " value");
  if (phase)
    for (int t : {HORSE, CANNON, PAWN})
      value(ParamKind::Endgame, t, 1, std::string(TYPE_NAMES[t]) + " endgame value");
  for (int t = 0; t < PIECE_TYPE_COUNT; ++t)
    for (int r = 0; r < GRID_ROWS; ++r)
      for (int f = 0; f <= GRID_FILES / 2; ++f) {
        const int sq = gridSquare(r, f);
        if (!squareAllowedFor(FIRST_INDEX_OF_TYPE[t], sq)) continue;  // black's pieces of type t
        Param p;
        p.kind = ParamKind::Square;
        p.type = t;
        p.squares[0] = sq;
        p.squares[1] = gridSquare(r, GRID_FILES - 1 - f);
        p.low = -SQUARE_VALUE_MAX;
        p.high = SQUARE_VALUE_MAX;
        p.name = std::string(TYPE_NAMES[t]) + " square " + std::to_string(r) + "," +
                 std::to_string(f);
        out.push_back(p);
      }
  EvalScript& e = evalScript;
  addTerms(out, "king danger", e.list12, 0, KING_DANGER_MAX_COUNT);
  addTerms(out, "horse legs", e.list23, 0, 4);
  Param step = term("pawn step", 0, &e.stepTable[STEP_RANGE + 1]);
  step.step = true;
  out.push_back(step);
  addTerms(out, "missing piece", e.triple18, 0, 2);
  addTerms(out, "advisor loss", e.pair19, 0, 1);
  out.push_back(term("corner attack", 0, &e.value15a));
  out.push_back(term("raised king", 0, &e.value15b));
  addTerms(out, "screened cannon", e.list14, 0, 9);
  addTerms(out, "open cannon", e.list16, 0, 9);
  addRelation(out, "rook pin", e.fileDistance20, e.rankDistance20, e.relation20);
  addRelation(out, "cannon pin", e.fileDistance21, e.rankDistance21, e.relation21);
  addRelation(out, "raised king piece", e.fileDistance22, e.rankDistance22, e.relation22);
  return out;
}

int paramValue(const Param& p) {
  switch (p.kind) {
    case ParamKind::Material: return pieceValue[p.type];
    case ParamKind::Endgame: return evalterm::endgameValue(p.type);
    case ParamKind::Square: return pieceSquare[p.type][p.squares[0]];
    case ParamKind::Term: return *p.value;
  }
  return 0;
}

void setParam(const Param& p, int v) {
  switch (p.kind) {
    case ParamKind::Material:
      pieceValue[p.type] = v;
      return;
    case ParamKind::Endgame:  // 0: the same as the value (set before)
      evalScript.pieceSecond[p.type] = v == pieceValue[p.type] ? 0 : v;
      return;
    case ParamKind::Square:
      pieceSquare[p.type][p.squares[0]] = v;
      pieceSquare[p.type][p.squares[1]] = v;
      return;
    case ParamKind::Term:
      *p.value = v;
      if (p.relation != nullptr) {
        p.relation[256 + p.relationDelta] = static_cast<uint8_t>(v);
        p.relation[256 - p.relationDelta] = static_cast<uint8_t>(v);
      }
      if (p.step)
        for (int i = -STEP_RANGE; i <= STEP_RANGE; ++i)
          evalScript.stepTable[i + STEP_RANGE] = i * v;
      return;
  }
}

namespace {

// Which number each piece value and square value is (-1: not tuned).
struct PieceParams {
  int material[PIECE_TYPE_COUNT], endgame[PIECE_TYPE_COUNT];
  std::vector<int> square = std::vector<int>(PIECE_TYPE_COUNT * 256, -1);
  explicit PieceParams(const std::vector<Param>& params) {
    std::fill(material, material + PIECE_TYPE_COUNT, -1);
    std::fill(endgame, endgame + PIECE_TYPE_COUNT, -1);
    for (size_t i = 0; i < params.size(); ++i) {
      const Param& p = params[i];
      if (p.kind == ParamKind::Material) material[p.type] = static_cast<int>(i);
      if (p.kind == ParamKind::Endgame) endgame[p.type] = static_cast<int>(i);
      if (p.kind == ParamKind::Square)
        for (int sq : p.squares) square[p.type * 256 + sq] = static_cast<int>(i);
    }
  }
};

void addSample(Dataset& data, Board& board, float result, const std::vector<Param>& params,
               const std::vector<int>& current, const PieceParams& index) {
  std::vector<double> coefficient(params.size(), 0.0);
  const int* materialParam = index.material;
  const int* endgameParam = index.endgame;
  const std::vector<int>& squareParam = index.square;
  // The endgame's share of the position: the piece values move from their
  // middle-game value towards their endgame value as it grows.
  const uint32_t signature = board.currentPly->materialSignature;
  const int material = attackMaterialTable[(signature >> ATTACK_MATERIAL_SHIFT[BLACK]) & 63] +
                       attackMaterialTable[(signature >> ATTACK_MATERIAL_SHIFT[RED]) & 63];
  const double endgame = double(PHASE_FULL - std::min(material, PHASE_FULL)) / PHASE_FULL;
  for (int index = 0; index < 32; ++index) {
    const int sq = board.pieceList[index];
    if (sq == NO_SQUARE) continue;
    const int type = PieceTypeOf[index], side = sideOfCode(index);
    const int sign = side == RED ? 1 : -1;
    // A value with an endgame value of its own (tuned, or fixed by the
    // script) holds only the middle game's share.
    const bool ownEndgame = endgameParam[type] >= 0 || evalScript.pieceSecond[type] != 0;
    if (materialParam[type] >= 0) coefficient[materialParam[type]] += sign * (ownEndgame ? 1 - endgame : 1);
    if (endgameParam[type] >= 0) coefficient[endgameParam[type]] += sign * endgame;
    const int own = side == BLACK ? sq : flipRank(sq);  // the square in black's table
    if (squareParam[type * 256 + own] >= 0) coefficient[squareParam[type * 256 + own]] += sign;
  }
  const int base = evaluateRed(board);
  for (size_t i = 0; i < params.size(); ++i) {
    if (params[i].kind != ParamKind::Term) continue;
    const int v = current[i];
    const int delta = v < params[i].high ? 1 : -1;
    setParam(params[i], v + delta);
    coefficient[i] = static_cast<double>((evaluateRed(board) - base) * delta);
    setParam(params[i], v);
  }
  Sample s{result, 0.0f, static_cast<uint32_t>(data.coefficients.size()), 0};
  double explained = 0;
  for (size_t i = 0; i < params.size(); ++i) {
    if (coefficient[i] == 0) continue;
    data.coefficients.push_back({static_cast<uint32_t>(i), static_cast<float>(coefficient[i])});
    explained += static_cast<double>(coefficient[i]) * current[i];
  }
  s.count = static_cast<uint32_t>(data.coefficients.size()) - s.first;
  s.residual = static_cast<float>(base - explained);
  data.samples.push_back(s);
}

}  // namespace

void addPosition(Dataset& data, Board& board, float result, const std::vector<Param>& params,
                 const std::vector<int>& current) {
  addSample(data, board, result, params, current, PieceParams(params));
}

int readPositions(Dataset& data, Board& board, const char* path,
                  const std::vector<Param>& params) {
  std::ifstream in(path);
  if (!in) return -1;
  std::vector<int> current(params.size());
  for (size_t i = 0; i < params.size(); ++i) current[i] = paramValue(params[i]);
  const PieceParams index(params);
  int refused = 0;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string placement, side;
    float result = -1;
    if (!(words >> placement >> side >> result) || result < 0 || result > 1 ||
        !setUpPosition(board, (placement + " " + side).c_str())) {
      ++refused;
      continue;
    }
    addSample(data, board, result, params, current, index);
  }
  return refused;
}

double sampleScore(const Dataset& data, size_t i, const std::vector<double>& theta) {
  const Sample& s = data.samples[i];
  double score = s.residual;
  const Coefficient* c = &data.coefficients[s.first];
  for (uint32_t j = 0; j < s.count; ++j) score += c[j].value * theta[c[j].param];
  return score;
}

double meanError(const Dataset& data, const std::vector<double>& theta, double k,
                 std::vector<double>* gradient) {
  if (gradient != nullptr) gradient->assign(theta.size(), 0.0);
  double total = 0;
  for (size_t i = 0; i < data.samples.size(); ++i) {
    const Sample& s = data.samples[i];
    const double p = logistic(k * sampleScore(data, i, theta));
    const double miss = p - s.result;
    total += miss * miss;
    if (gradient == nullptr) continue;
    // d(miss^2)/d(theta_j) = 2 miss p (1 - p) k c_j
    const double g = 2 * miss * p * (1 - p) * k;
    const Coefficient* c = &data.coefficients[s.first];
    for (uint32_t j = 0; j < s.count; ++j) (*gradient)[c[j].param] += g * c[j].value;
  }
  const double n = data.samples.empty() ? 1.0 : static_cast<double>(data.samples.size());
  if (gradient != nullptr)
    for (double& g : *gradient) g /= n;
  return total / n;
}

double fitScale(const Dataset& data, const std::vector<double>& theta) {
  // Golden-section search on log k; the error is unimodal in k.
  double lo = std::log(1e-5), hi = std::log(1e-1);
  const double ratio = (std::sqrt(5.0) - 1) / 2;
  for (int i = 0; i < 60; ++i) {
    const double a = hi - ratio * (hi - lo), b = lo + ratio * (hi - lo);
    if (meanError(data, theta, std::exp(a), nullptr) < meanError(data, theta, std::exp(b), nullptr))
      hi = b;
    else
      lo = a;
  }
  return std::exp((lo + hi) / 2);
}

double fit(const Dataset& data, const std::vector<Param>& params, std::vector<double>* theta,
           double k, const Settings& settings) {
  constexpr double BETA1 = 0.9, BETA2 = 0.999, EPSILON = 1e-12;
  const std::vector<double> start = *theta;
  const size_t n = theta->size();
  std::vector<double> gradient, m(n, 0.0), v(n, 0.0);
  double error = 0;
  for (int epoch = 1; epoch <= settings.epochs; ++epoch) {
    error = meanError(data, *theta, k, &gradient);
    if (settings.verbose && (epoch == 1 || epoch % 50 == 0)) {
      std::fprintf(stderr, "epoch %4d error %.7f\n", epoch, error);
    }
    const double c1 = 1 - std::pow(BETA1, epoch), c2 = 1 - std::pow(BETA2, epoch);
    for (size_t j = 0; j < n; ++j) {
      const double g = gradient[j] + 2 * settings.prior * ((*theta)[j] - start[j]);
      m[j] = BETA1 * m[j] + (1 - BETA1) * g;
      v[j] = BETA2 * v[j] + (1 - BETA2) * g * g;
      double& t = (*theta)[j];
      t -= settings.rate * (m[j] / c1) / (std::sqrt(v[j] / c2) + EPSILON);
      t = std::clamp(t, static_cast<double>(params[j].low), static_cast<double>(params[j].high));
    }
  }
  return meanError(data, *theta, k, nullptr);
}

namespace {

// The script's numbers in reading order; null for those the tuner never
// changes (the king's value, the line-grid weights, the end mark).
std::vector<const int*> numbersInOrder() {
  std::vector<const int*> out;
  auto list = [&out](const int* v, int count) {
    for (int i = 0; i < count; ++i) out.push_back(&v[i]);
  };
  auto grid = [&out](const int* table) {
    for (int r = 0; r < GRID_ROWS; ++r)
      for (int f = 0; f < GRID_FILES; ++f) out.push_back(&table[gridSquare(r, f)]);
  };
  const EvalScript& e = evalScript;
  for (int t = 0; t < PIECE_TYPE_COUNT; ++t) {
    out.push_back(t == KING ? nullptr : &pieceValue[t]);
    out.push_back(&e.pieceSecond[t]);
    grid(pieceSquare[t]);
  }
  const int* lineGrids[3] = {e.grid2, e.grid4, e.grid6};
  const int* lists[3] = {e.list3, e.list5, e.list7};
  for (int g = 0; g < 3; ++g) {
    out.push_back(nullptr);
    out.push_back(nullptr);
    grid(lineGrids[g]);
    if (g == 0) list(e.pair3, 2);
    list(lists[g], 16);
  }
  list(&e.value8, 1);
  list(e.triple9, 3);
  list(&e.evalConstA, 1);
  list(&e.evalConstB, 1);
  list(&e.halvingTable[0], 1);
  list(e.list12, 13);
  list(e.list13, 16);
  list(e.list14, 10);
  list(&e.value15a, 1);
  list(&e.value15b, 1);
  list(e.list16, 10);
  list(e.list17, 9);
  list(e.triple18, 3);
  list(e.pair19, 2);
  list(e.fileDistance20, 11);
  list(e.rankDistance20, 10);
  list(e.fileDistance21, 11);
  list(e.rankDistance21, 10);
  list(e.fileDistance22, 11);
  list(e.rankDistance22, 10);
  list(e.list23, 6);
  list(&e.stepTable[STEP_RANGE + 1], 1);
  return out;
}

bool isNumber(const std::string& word) {
  char* end = nullptr;
  std::strtod(word.c_str(), &end);
  return !word.empty() && end == word.c_str() + word.size();
}

}  // namespace

bool writeScript(const char* original, const char* out, const std::vector<Param>& params,
                 const std::vector<int>& values) {
  std::ifstream in(original);
  if (!in) return false;
  for (size_t i = 0; i < params.size(); ++i) setParam(params[i], values[i]);
  const std::vector<const int*> numbers = numbersInOrder();
  std::ostringstream text;
  size_t next = 0;
  std::string line;
  while (std::getline(in, line)) {
    std::string written;
    size_t pos = 0;
    while (pos < line.size()) {
      const size_t start = line.find_first_not_of(" \t\r", pos);
      if (start == std::string::npos) {
        written += line.substr(pos);
        break;
      }
      const size_t end = std::min(line.find_first_of(" \t\r", start), line.size());
      std::string lead = line.substr(pos, start - pos);
      std::string word = line.substr(start, end - start);
      if (isNumber(word) && next < numbers.size()) {
        const int* slot = numbers[next++];
        if (slot != nullptr && std::strtol(word.c_str(), nullptr, 10) != *slot) {
          const std::string now = std::to_string(*slot);
          // Right-aligned columns stay aligned while the blanks allow.
          const int blanks = static_cast<int>(lead.size() + word.size()) - static_cast<int>(now.size());
          if (lead.size() > 1) lead = std::string(std::max(1, blanks), ' ');
          word = now;
        }
      }
      written += lead + word;
      pos = end;
    }
    text << written << '\n';
  }
  std::ofstream file(out);
  file << text.str();
  return static_cast<bool>(file);
}

}  // namespace tune
