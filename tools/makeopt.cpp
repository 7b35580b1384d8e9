// makeopt: turns the readable search options (HowToThink.txt) into the
// 272-byte image HowToThink.opt that the engine loads at start-up.
//   makeopt <options text> <image>
#include <cstdio>
#include <string>

#include "config/optiontext.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: makeopt <options text> <image>\n");
    return 2;
  }
  SearchOptions options;
  std::string error;
  if (!parseOptionText(argv[1], &options, &error)) {
    std::fprintf(stderr, "makeopt: %s\n", error.c_str());
    return 1;
  }
  if (!writeOptionImage(options, argv[2])) {
    std::fprintf(stderr, "makeopt: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
