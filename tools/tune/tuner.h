// The evaluation tuner: every number of the script that the static score is
// linear in, fitted to game results by least squares on a logistic of the
// score (Texel's method).
//
// The score of a quiet position is the sum over the tuned numbers of a
// coefficient times the number. Piece values and square values have their
// coefficients from the pieces on the board (mirror squares share one
// number, so the grids stay left-right symmetric); every other number's
// coefficient is found by evaluating the position with that number raised
// by one. The fit then runs on the coefficients alone. The tempo is held:
// it steers the null move and the pruning more than it judges positions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Board;

namespace tune {

enum class ParamKind { Material, Endgame, Square, Term };

struct Param {
  ParamKind kind = ParamKind::Term;
  int type = 0;                // piece type (Material, Endgame, Square)
  int squares[2] = {0, 0};     // Square: black's square and its mirror
  int* value = nullptr;        // Term: the script's number
  uint8_t* relation = nullptr; // Term: a derived relation table ...
  int relationDelta = 0;       // ... whose entries at +-delta follow it
  bool step = false;           // Term: the pawn step (its table follows)
  int low = 0, high = 0;
  std::string name;
};

// The directory above the one of the running tool (tools/ of a build):
// where the engine's data files are, separator included.
std::string buildDirectory(const char* argv0);

// The tunable numbers of the loaded script; with `phase`, the endgame
// values of horse, cannon and pawn too (they then move with the phase).
std::vector<Param> scriptParams(bool phase = false);
// The script's current value of a number, and a new value written into the
// engine's tables (derived tables of terms included; piece and square
// values need deriveScoreTables and buildMoveDelta afterwards).
int paramValue(const Param& p);
void setParam(const Param& p, int v);

struct Coefficient {
  uint32_t param;
  float value;  // a fraction for values that move with the phase
};

struct Sample {
  float result;    // red's score: 1, 0.5 or 0
  float residual;  // red's score not explained by the tuned numbers
  uint32_t first;  // its coefficients in Dataset::coefficients
  uint32_t count;
};

struct Dataset {
  std::vector<Sample> samples;
  std::vector<Coefficient> coefficients;
};

// Adds the board's position with its result; its coefficients are taken
// at the script's current values `current` (paramValue of each number).
// Values that move with the phase make the model exact to a unit (the
// engine rounds their share down).
void addPosition(Dataset& data, Board& board, float result, const std::vector<Param>& params,
                 const std::vector<int>& current);
// Reads "<board> <w|b> <result>" lines; returns the lines refused.
int readPositions(Dataset& data, Board& board, const char* path,
                  const std::vector<Param>& params);

// Red's score of sample i under the numbers theta.
double sampleScore(const Dataset& data, size_t i, const std::vector<double>& theta);
// Mean squared error of the logistic 1 / (1 + exp(-k score)) against the
// results; with a gradient, its derivative by every number is stored.
double meanError(const Dataset& data, const std::vector<double>& theta, double k,
                 std::vector<double>* gradient);
// The k of least error with theta held.
double fitScale(const Dataset& data, const std::vector<double>& theta);

struct Settings {
  int epochs = 800;
  double rate = 2.0;        // Adam's step, in score units
  double prior = 1e-8;      // pull of every number towards its start value
  bool verbose = true;
};
// Adam over the numbers, each kept within its range; returns the error.
double fit(const Dataset& data, const std::vector<Param>& params, std::vector<double>* theta,
           double k, const Settings& settings);

// Writes `original` to `out` with the tuned numbers put in place of the
// old ones, every other character as it was. False when a file cannot be
// read or written.
bool writeScript(const char* original, const char* out, const std::vector<Param>& params,
                 const std::vector<int>& values);

}  // namespace tune
