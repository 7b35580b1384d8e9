// Process entry: the UCCI engine, or one of the command-line tools.
#include <cstdio>
#include <cstring>
#include <string>

#include "board/board.h"
#include "frontend/bench.h"
#include "frontend/gocommand.h"
#include "frontend/position.h"
#include "frontend/startup.h"
#include "platform/platform.h"

namespace {

// Depths above what perft accepts are passed on for it to refuse.
constexpr int PERFT_DEPTH_READ_LIMIT = 1000;

int usage() {
  std::fprintf(stderr, "usage: tolvane | tolvane perft DEPTH [FEN] | tolvane bench [OPTIONS.opt [SCRIPT.txt]]\n");
  return 2;
}

int perftCommand(int argc, char** argv) {
  if (argc < 3 || argv[2][0] == '\0' || std::strspn(argv[2], "0123456789") != std::strlen(argv[2]))
    return usage();
  const int depth = parseBoundedInt(argv[2], PERFT_DEPTH_READ_LIMIT);
  // The FEN may come as one argument or as its blank-separated fields.
  std::string fen;
  for (int i = 3; i < argc; ++i) {
    if (!fen.empty()) fen += ' ';
    fen += argv[i];
  }
  return runPerft(depth, fen.empty() ? START_FEN : fen.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  prepareProcess();
  if (argc <= 1) return runEngine(argv[0]);
  if (std::strcmp(argv[1], "perft") == 0) return perftCommand(argc, argv);
  if (std::strcmp(argv[1], "bench") == 0 && argc <= 4)
    return runBench(argv[0], argc >= 3 ? argv[2] : nullptr, argc == 4 ? argv[3] : nullptr);
  return usage();
}
