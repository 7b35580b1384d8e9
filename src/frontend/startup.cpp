#include "frontend/startup.h"

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
#include "config/searchoptions.h"
#include "config/timemanager.h"
#include "eval/evaluate.h"
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

const char* const IDENTIFICATION[] = {
    "id name Tolvane",
    "id copyright (C) the Tolvane developers, free to use and share",
    "id author Tolvane developers",
    "id user Tolvane Test Team",
    "option batch type check default false",
    "option debug type check default false",
    "option ponder type check default false",
    "option bookfiles type string default ",
    "option hashsize type spin min 16 max 1024 default 16",
    "option pruning type combo var none var small var medium var large default large",
    "option knowledge type combo var none var small var medium var large default large",
    "option selectivity type combo var none var small var medium var large default none",
    "option loadbook type button",
    // Announced so that front ends send clocks in milliseconds: in whole
    // seconds an increment below one second reads as none.
    "option usemillisec type check default false",
    "option threads type spin min 1 max 128 default 1",
    "ucciok",
};

// Waits for the first line; true when it is exactly "ucci".
bool waitForUcci() {
  for (;;) {
    const char* line = readLine();
    if (line != nullptr) return std::strcmp(line, "ucci") == 0;
    if (inputClosed()) return false;
    sleepMs(POLL_INTERVAL_MS);
  }
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
  if (fixedSizeMb > 0)
    hashSizeMb = fixedSizeMb;
  else if (!loadConfig(settingsFilePath(exeDirectory, "Config.ini").c_str(), &hashSizeMb))
    askYesNo(CONFIG_FAILED_TEXT, CONFIG_FAILED_CAPTION);
  resizeHashTable(hashSizeMb);
}

void loadSearchSettings(const std::string& exeDirectory, const std::string& optionsPath) {
  loadSearchOptions(&searchOptions,
                    (optionsPath.empty() ? exeDirectory + "HowToThink.opt" : optionsPath).c_str());
  timeManager.setDefaults();
  if (!loadTimeManagement(&timeManager,
                          settingsFilePath(exeDirectory, "TimeManagement.txt").c_str()))
    askYesNo(TIME_FAILED_TEXT, TIME_FAILED_CAPTION);
  createBookTable(BOOK_TABLE_BITS);
  resetBookHeader();
  loadBook((exeDirectory + "OpenBook.dat").c_str());  // none: an empty book
}

}  // namespace

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
  if (!loadEvaluationScript(
          (scriptPath.empty() ? exeDirectory + "PosVal.txt" : scriptPath).c_str())) {
    askYesNo(EVAL_FAILED_TEXT, EVAL_FAILED_CAPTION);
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
  return board;
}

int runUcciEngine(const char* argv0) {
  std::string exeDirectory, exeName;
  splitPath(programPath(argv0), &exeDirectory, &exeName);
  if (!waitForUcci()) return 0;

  Board* board = startUpEngine(exeDirectory, 0);
  if (board == nullptr) {
    waitForMessages();  // the reason, where a message box shows it
    return 0;
  }
  EngineSession session{board, setUpPosition(*board, START_FEN)};
  for (const char* line : IDENTIFICATION) sendLine("%s", line);

  runCommandLoop(session);
  releaseEngine(board);
  sendLine("bye");
  return 0;
}
