#include "frontend/startup.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "board/board.h"
#include "board/movelists.h"
#include "board/tables.h"
#include "board/zobrist.h"
#include "book/book.h"
#include "config/config.h"
#include "config/evalscript.h"
#include "config/netfile.h"
#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "eval/evaluate.h"
#include "eval/netkernels.h"
#include "eval/script.h"
#include "frontend/gocommand.h"
#include "frontend/output.h"
#include "frontend/position.h"
#include "frontend/protocol.h"
#include "movegen/captureorder.h"
#include "movegen/history.h"
#include "platform/platform.h"
#include "search/hash/tt.h"
#include "search/search.h"
#include "search/thread.h"

namespace {

constexpr int POLL_INTERVAL_MS = 10;

// Failure messages of the data-file loaders (text, caption).
constexpr const char* CONFIG_FAILED_TEXT = "配置文件装载失败!";
constexpr const char* CONFIG_FAILED_CAPTION = "配置文件装载失败";
constexpr const char* EVAL_FAILED_TEXT = "评价脚本读取错误!";
constexpr const char* EVAL_FAILED_CAPTION = "评价脚本读取错误";
constexpr const char* TIME_FAILED_TEXT = "时间分配选项文件装载失败!";
constexpr const char* TIME_FAILED_CAPTION = "时间分配文件装载失败";

int hashSizeMbAtStart = HASH_DEFAULT_MB;
Protocol startupProtocol = Protocol::Ucci;

// Waits for the first line: "ucci" or "uci" choose the protocol, anything
// else (or the end of input) ends the engine.
bool waitForFirstLine(Protocol* protocol) {
  for (;;) {
    const char* line = readLine();
    if (line != nullptr) {
      *protocol = std::strcmp(line, "uci") == 0 ? Protocol::Uci : Protocol::Ucci;
      return std::strcmp(line, "ucci") == 0 || std::strcmp(line, "uci") == 0;
    }
    if (inputClosed()) return false;
    sleepMs(POLL_INTERVAL_MS);
  }
}

// What is wrong with a data file and what the engine does about it, in
// plain words on stderr and in UCI as an "info string".
void tellFileProblem(const std::string& path, const std::string& reason, const char* consequence) {
  std::fprintf(stderr, "tolvane: %s: %s; %s\n", path.c_str(), reason.c_str(), consequence);
  std::fflush(stderr);
  if (startupProtocol == Protocol::Uci)
    sendLine("info string %s: %s; %s", path.c_str(), reason.c_str(), consequence);
}

// A data file that did not load: the message box, then the path and the
// reason.
void reportDataFile(const std::string& path, const char* text, const char* caption,
                    const char* consequence) {
  askYesNo(text, caption);
  std::string reason;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    std::fclose(file);
    reason = "it is damaged or incomplete";
  } else {
    reason = std::string("it cannot be opened (") + std::strerror(errno) + ")";
  }
  tellFileProblem(path, reason, consequence);
}

// Front ends often start the engine from their own directory: a settings
// file is taken from the working directory when it is there, else from
// beside the executable.
std::string settingsFilePath(const std::string& exeDirectory, const char* name) {
  if (std::FILE* file = std::fopen(name, "rb")) {
    std::fclose(file);
    return name;
  }
  return exeDirectory + name;
}

// The bench sizes the table itself, so that its node count never depends
// on a Config.ini.
void setUpHashTable(const std::string& exeDirectory, int fixedSizeMb) {
  int hashSizeMb = HASH_DEFAULT_MB;
  const std::string config = settingsFilePath(exeDirectory, "Config.ini");
  if (fixedSizeMb > 0)
    hashSizeMb = fixedSizeMb;
  else if (!loadConfig(config.c_str(), &hashSizeMb))
    reportDataFile(config, CONFIG_FAILED_TEXT, CONFIG_FAILED_CAPTION, "the engine goes on with its defaults");
  hashSizeMbAtStart = hashSizeMb;
  resizeHashTable(hashSizeMb);
}

void loadSearchSettings(const std::string& exeDirectory, const std::string& optionsPath) {
  loadSearchOptions(&searchOptions,
                    (optionsPath.empty() ? exeDirectory + "HowToThink.opt" : optionsPath).c_str());
  timeManager.setDefaults();
  const std::string timeFile = settingsFilePath(exeDirectory, "TimeManagement.txt");
  if (!loadTimeManagement(&timeManager, timeFile.c_str()))
    reportDataFile(timeFile, TIME_FAILED_TEXT, TIME_FAILED_CAPTION, "the engine goes on with its defaults");
  createBookTable(BOOK_TABLE_BITS);
  resetBookHeader();
  loadBook((exeDirectory + "OpenBook.dat").c_str());  // none: an empty book
}

// The net beside the program, read only when the switch asks for it; a net
// that does not load leaves the script evaluating (no message box: the
// engine plays on).
void loadLearnedEvaluation(const std::string& exeDirectory) {
  chooseNetKernels();
  unloadNetwork();
  if (!searchOptions.useNetwork) return;
  const std::string path = exeDirectory + NET_FILE_NAME;
  char reason[NET_REASON_MAX];
  if (!loadNetwork(path.c_str(), reason))
    tellFileProblem(path, reason, "the engine evaluates with the script");
}

}  // namespace

int configuredHashMb() { return hashSizeMbAtStart; }

void resizeHashTable(int sizeMb) {
  allocateHash(hashSizeBits(sizeMb));
  clearHash();
  checkHashTable(searchOptions.hashCheckBound);
}

void releaseEngine(Board* board) {
  releaseSearchThreads();
  freeHash();
  releaseBookTable();
  freeMoveTables();
  delete board;
}

Board* startUpEngine(const std::string& exeDirectory, int fixedHashMb,
                     const std::string& optionsPath, const std::string& scriptPath) {
  buildPieceTables();
  initZobrist();
  setUpHashTable(exeDirectory, fixedHashMb);
  const std::string script = scriptPath.empty() ? exeDirectory + "PosVal.txt" : scriptPath;
  if (!loadEvaluationScript(script.c_str())) {
    reportDataFile(script, EVAL_FAILED_TEXT, EVAL_FAILED_CAPTION, "the engine cannot play without it");
    freeHash();
    return nullptr;
  }
  buildMoveTables();
  buildCaptureOrderTable();
  buildEvalTables();
  buildSearchTables();
  Board* board = new Board;
  board->init();
  buildHistoryTables();
  setSearchThreads(1);
  loadSearchSettings(exeDirectory, optionsPath);
  loadLearnedEvaluation(exeDirectory);
  return board;
}

int runEngine(const char* argv0) {
  std::string exeDirectory, exeName;
  splitPath(programPath(argv0), &exeDirectory, &exeName);
  if (!waitForFirstLine(&startupProtocol)) return 0;

  Board* board = startUpEngine(exeDirectory, 0);
  if (board == nullptr) {
    waitForMessages();  // the reason, where a message box shows it
    return EXIT_DATA_FILE_FAILED;
  }
  EngineSession session{board, setUpPosition(*board, START_FEN), startupProtocol};
  sendHandshake(session.protocol);

  runCommandLoop(session);
  releaseEngine(board);
  sendLine("bye");
  return 0;
}
