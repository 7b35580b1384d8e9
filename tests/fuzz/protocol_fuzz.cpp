// libFuzzer target for the UCCI command loop: each input is a stream of
// command lines served one by one on an engine set up as at start-up. Every
// "go" (and "ponder") line is first read by the go parser, then served as a
// shallow "go depth N" so that no input thinks for long; a bit of the line
// may also leave a "stop" waiting on the input for the search to find.
// Replies are captured, never printed. Built with -DTOLVANE_FUZZ=ON and clang;
// `make fuzz` builds and runs it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "board/board.h"
#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "frontend/gocommand.h"
#include "frontend/output.h"
#include "frontend/position.h"
#include "frontend/protocol.h"
#include "frontend/setoption.h"
#include "frontend/startup.h"
#include "frontend/words.h"
#include "platform/platform.h"
#include "search/hash/tt.h"
#include "search/searchstate.h"

namespace {

constexpr int FUZZ_MAX_DEPTH = 3;
constexpr int FUZZ_HASH_BITS = 12;  // small, so clearing it per input is cheap
constexpr int ANY_FIXED_HASH_MB = 1;  // skips Config.ini; resized below
constexpr unsigned STOP_WAITING_BIT = 0x40;  // of a go line's last byte
constexpr unsigned RANDOM_SEED = 1;

// The data files as the build lays them out beside the binary.
const std::string DATA_DIR = std::string(TOLVANE_FUZZ_DATA_DIR) + "/";

EngineSession session{nullptr, false};
int inputWriteEnd = -1;  // the engine's input; kept open and normally empty

// The engine's start-up without the handshake. Config.ini and
// TimeManagement.txt are read from the working directory (`make fuzz` runs
// the target in its build directory, beside them).
void startEngine() {
  session.board = startUpEngine(DATA_DIR, ANY_FIXED_HASH_MB);
  if (session.board == nullptr) std::abort();
  allocateHash(FUZZ_HASH_BITS);
  std::srand(RANDOM_SEED);

  // The search polls the input while it thinks: give it a pipe that stays
  // open, so it neither blocks nor sees the input end.
  int fds[2];
  if (pipe(fds) != 0) std::abort();
  resetInput(fds[0]);
  inputWriteEnd = fds[1];
}

bool isGoLine(const std::string& line) {
  const char* start = skipBlanks(line.c_str());
  const char* end = wordEnd(start);
  return wordIs(start, end, "go") || wordIs(start, end, "ponder");
}

void serveGoLine(const std::string& line) {
  const GoRequest request =
      parseGoCommand(line.c_str(), timeManager.movesDivisor, searchOptions.timedDepth);
  (void)request;
  const unsigned last = line.empty() ? 0 : static_cast<unsigned char>(line.back());
  const int depth = static_cast<int>(last % FUZZ_MAX_DEPTH) + 1;
  const bool stopWaiting = (last & STOP_WAITING_BIT) != 0;
  if (stopWaiting && write(inputWriteEnd, "stop\n", 5) != 5) std::abort();
  serveCommand(session, ("go depth " + std::to_string(depth)).c_str());
  // Whatever the search left unread goes, so the next input starts alike.
  while (readLine() != nullptr) {
  }
}

// Options that would grow the table past what a fuzz run may hold, or read
// files named by the input, are only parsed; the rest are served.
bool isHeavyOption(const std::string& line) {
  const char* start = skipBlanks(line.c_str());
  if (!wordIs(start, wordEnd(start), "setoption")) return false;
  for (const char* option : {"hashsize", "bookfiles", "loadbook"}) {
    if (const char* value = findWord(start, option)) {
      (void)hashSizeOptionMb(value);
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  startEngine();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  clearHash();
  session.positionValid = setUpPosition(*session.board, START_FEN);
  bannedMoveCount = 0;
  goClockInMilliseconds = false;
  startCapture();
  const std::string text(reinterpret_cast<const char*>(data), size);
  size_t begin = 0;
  while (begin <= text.size()) {
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    begin = end + 1;
    // A zero byte ends the line, as it would for the line reader's text.
    line.resize(std::char_traits<char>::length(line.c_str()));
    if (isGoLine(line)) {
      serveGoLine(line);
    } else if (isHeavyOption(line)) {
      continue;
    } else {
      serveCommand(session, line.c_str());  // "quit" only returns Quit
    }
  }
  stopCapture();
  return 0;
}
