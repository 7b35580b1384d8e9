// Builds evaluation-script texts for the tests: every block in file order,
// with chosen values and plain one-word labels.
#pragma once

#include <sstream>
#include <string>
#include <vector>

struct ScriptBuilder {
  int pieceValue[7] = {0, 120, 120, 270, 600, 285, 30};
  int grids[7][90] = {};  // row 0 first, as in the file
  int lazyMargin = 640;
  int step = 6;
  int fileDistance20[11] = {5, 40, 36, 32, 28, 24, 20, 16, 12, 8, 4};
  int rankDistance20[10] = {7, 41, 37, 33, 29, 25, 21, 17, 13, 9};
  std::string endMark = "333 444 555 666 777";

  std::string text() const {
    std::ostringstream s;
    for (int t = 0; t < 7; ++t) {
      s << "piece " << pieceValue[t] << " 0\n";
      grid(s, grids[t]);
    }
    const std::vector<int> zeroGrid(90, 0);
    s << "rookLines 1.0 1.0\n";
    grid(s, zeroGrid.data());
    s << "rookPressure 18 30 spare";
    list(s, 16, 0);
    s << "cannonLines 1.0 0.5\n";
    grid(s, zeroGrid.data());
    s << "list5";
    list(s, 16, 0);
    s << "grid6 0 0\n";
    grid(s, zeroGrid.data());
    s << "list7";
    list(s, 16, 0);
    s << "nullMargin 30\nphase 5000 3000 4\ntempo 6 3\n";
    s << "lazy margin " << lazyMargin << "\n";
    s << "danger";
    list(s, 13, 10);
    s << "list13";
    list(s, 16, 0);
    s << "list14 byRank";
    list(s, 10, 5);
    s << "value15 20 15\n";
    s << "list16 byRank";
    list(s, 10, 5);
    s << "list17 byFile";
    list(s, 9, 1);
    s << "penalties x 40 20 15\nadvisors x 20 45\n";
    s << "relation20 x";
    for (int v : fileDistance20) s << ' ' << v;
    for (int v : rankDistance20) s << ' ' << v;
    s << "\nrelation21 x";
    list(s, 21, 3);
    s << "relation22 x";
    list(s, 21, 2);
    s << "mobility x -12 -6 0 4 8 0\n";
    s << "step x " << step << "\n";
    s << "end mark " << endMark << "\n";
    return s.str();
  }

  static void grid(std::ostringstream& s, const int* cells) {
    for (int i = 0; i < 90; ++i) s << cells[i] << (i % 9 == 8 ? '\n' : ' ');
  }
  static void list(std::ostringstream& s, int count, int value) {
    for (int i = 0; i < count; ++i) s << ' ' << value;
    s << '\n';
  }
};
