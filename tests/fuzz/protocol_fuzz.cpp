// libFuzzer target for the command loop (`make fuzz`): each input is command
// lines served on an engine set up as at start-up, in UCCI or (first byte odd)
// UCI. A go line is parsed, then served as a shallow "go depth N", now and
// then with a "stop" waiting; options that grow the table or read files are
// only parsed.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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
#include "movegen/movegen.h"
#include "platform/platform.h"
#include "search/hash/tt.h"

namespace {

EngineSession session{nullptr, false};
int inputWriteEnd = -1;  // the engine's input: kept open, normally empty

bool firstWordIs(const char* line, const char* word) {
  const char* start = skipBlanks(line);
  return wordIs(start, wordEnd(start), word);
}

// A UCI option that would grow the table, read a file or start threads.
bool heavyUciOption(std::string line) {
  std::transform(line.begin(), line.end(), line.begin(), [](unsigned char c) { return std::tolower(c); });
  for (const char* word : {"hash", "book", "thread"})
    if (line.find(word) != std::string::npos && line.find("clear") == std::string::npos) return true;
  return false;
}

void serveLine(const std::string& line) {
  const char* text = line.c_str();
  const bool uci = session.protocol == Protocol::Uci;
  if (firstWordIs(text, "go") || firstWordIs(text, "ponder")) {
    (void)parseGoCommand(text, timeManager.movesDivisor, searchOptions.timedDepth, goClockInMilliseconds);
    (void)parseUciGo(text, session.board->sideToMove, timeManager.movesDivisor, searchOptions.timedDepth, moveOverheadMs);
    const unsigned last = line.empty() ? 0 : static_cast<unsigned char>(line.back());
    if ((last & 0x40) != 0 && write(inputWriteEnd, "stop\n", 5) != 5) std::abort();
    serveCommand(session, ("go depth " + std::to_string(last % 3 + 1)).c_str());
    while (readLine() != nullptr) {
    }  // what the search left unread goes, so the next input starts alike
  } else if (firstWordIs(text, "setoption") &&
             (findWord(text, "hashsize") || findWord(text, "bookfiles") || findWord(text, "loadbook") ||
              (uci && heavyUciOption(line)))) {
    if (const char* value = findWord(text, "hashsize")) (void)hashSizeOptionMb(value);
  } else {
    serveCommand(session, text);  // "quit" only returns Quit
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A fixed table size: Config.ini is not read. A small table is cheap to clear.
  session.board = startUpEngine(std::string(TOLVANE_FUZZ_DATA_DIR) + "/", 1);
  if (session.board == nullptr) std::abort();
  allocateHash(12);
  int fds[2];  // the search polls the input: a pipe that never ends
  if (pipe(fds) != 0) std::abort();
  resetInput(fds[0]);
  inputWriteEnd = fds[1];
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  clearHash();
  session.positionValid = setUpPosition(*session.board, START_FEN);
  bannedMoveCount = 0;
  goClockInMilliseconds = false;
  multiPvOption = 1;
  session.protocol = size > 0 && (data[0] & 1) ? Protocol::Uci : Protocol::Ucci;
  startCapture();
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (size_t begin = 0; begin <= text.size();) {
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    begin = end + 1;
    line.resize(std::char_traits<char>::length(line.c_str()));  // as the line reader's text
    while (!line.empty() && std::strchr("\r \t", line.back()) != nullptr) line.pop_back();
    serveLine(line);
  }
  stopCapture();
  return 0;
}
