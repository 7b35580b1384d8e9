#include "frontend/setoption.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "book/book.h"
#include "frontend/gocommand.h"
#include "frontend/startup.h"
#include "frontend/words.h"
#include "search/hash/tt.h"
#include "search/thread.h"

namespace {

struct OptionText {
  const char* name;
  const char* nameEnd;
  std::string value;  // without blanks around it; may be empty
};

bool nameIs(const OptionText& option, const char* word) {
  return wordIs(option.name, option.nameEnd, word);
}

std::string trimmed(const char* start) {
  start = skipBlanks(start);
  const char* end = start + std::strlen(start);
  while (end > start && isBlank(end[-1])) --end;
  return std::string(start, end);
}

// Splits the line into the option's name and its value; false when the line
// names no option.
bool readOption(const char* line, OptionText* option) {
  const char* p = skipBlanks(wordEnd(skipBlanks(line)));  // behind "setoption"
  const char* end = wordEnd(p);
  if (wordIs(p, end, "name")) {
    // name <option> [value <text>]
    option->name = skipBlanks(end);
    option->nameEnd = wordEnd(option->name);
    const char* rest = skipBlanks(option->nameEnd);
    const char* restEnd = wordEnd(rest);
    if (*rest == '\0') {
      option->value.clear();
    } else if (wordIs(rest, restEnd, "value")) {
      option->value = trimmed(restEnd);
    } else {
      return false;  // a name of several words: none of ours
    }
  } else {
    option->name = p;
    option->nameEnd = end;
    option->value = trimmed(end);
  }
  return option->name != option->nameEnd;
}

void setHashSize(const char* value) {
  const int sizeMb = hashSizeOptionMb(value);
  if (sizeMb > 0) resizeHashTable(sizeMb);
}

// A value of digits only (and at least one).
bool isNumber(const char* value) {
  return *value != '\0' && std::strspn(value, "0123456789") == std::strlen(value);
}

// "threads N": the number of search threads, clamped to the announced
// range; a value that does not read changes nothing.
void setThreads(const char* value) {
  if (!isNumber(value)) return;
  setSearchThreads(parseBoundedInt(value, MAX_SEARCH_THREADS));
}

// A check option's value; other texts leave *flag as it is.
void setFlag(const std::string& value, bool* flag) {
  if (value == "true")
    *flag = true;
  else if (value == "false")
    *flag = false;
}

void setNumber(const char* value, int maximum, int minimum, int* number) {
  if (isNumber(value)) *number = std::max(parseBoundedInt(value, maximum), minimum);
}

// A UCI option name: words compared without regard to case or the number
// of blanks between them.
bool uciNameIs(const std::string& name, const char* expected) {
  size_t i = 0;
  for (const char* e = expected; *e != '\0'; ++e, ++i)
    if (i >= name.size() || std::tolower(static_cast<unsigned char>(name[i])) !=
                                std::tolower(static_cast<unsigned char>(*e)))
      return false;
  return i == name.size();
}

// "name <words> [value <text>]" behind "setoption": the name's words joined
// by single blanks, and the value trimmed.
void readUciOption(const char* line, std::string* name, std::string* value) {
  const char* p = skipBlanks(wordEnd(skipBlanks(line)));  // behind "setoption"
  const char* end = wordEnd(p);
  if (!wordIs(p, end, "name")) return;
  for (p = skipBlanks(end); *p != '\0'; p = skipBlanks(end)) {
    end = wordEnd(p);
    if (wordIs(p, end, "value")) {
      *value = trimmed(end);
      return;
    }
    if (!name->empty()) *name += ' ';
    name->append(p, end);
  }
}

}  // namespace

void startNewGame() {
  // Nothing learnt in the last game carries over.
  clearHash();
  clearSearchMemory();
}

int multiPvOption = 1;
bool ownBookOption = true;
int moveOverheadMs = 0;

int hashSizeOptionMb(const char* value) {
  if (!isNumber(value)) return 0;
  const int sizeMb = parseBoundedInt(value, HASH_MAX_MB);
  return sizeMb == 0 ? 0 : std::max(sizeMb, HASH_MIN_MB);
}

void serveSetOption(const char* line) {
  OptionText option;
  if (!readOption(line, &option)) return;
  if (nameIs(option, "hashsize")) {
    setHashSize(option.value.c_str());
  } else if (nameIs(option, "usemillisec")) {
    setFlag(option.value, &goClockInMilliseconds);
  } else if (nameIs(option, "newgame")) {
    startNewGame();
  } else if (nameIs(option, "multipv")) {
    setNumber(option.value.c_str(), MAX_MULTI_PV, 1, &multiPvOption);
  } else if (nameIs(option, "bookfiles")) {
    setBookPath(option.value.c_str());  // empty: no book
  } else if (nameIs(option, "loadbook")) {
    reloadBook();
  } else if (nameIs(option, "threads")) {
    setThreads(option.value.c_str());
  }
  // batch, debug, ponder, pruning, knowledge, selectivity and anything
  // else: no effect.
}

void serveUciSetOption(const char* line) {
  std::string name, value;
  readUciOption(line, &name, &value);
  if (uciNameIs(name, "Hash")) {
    setHashSize(value.c_str());
  } else if (uciNameIs(name, "Threads")) {
    setThreads(value.c_str());
  } else if (uciNameIs(name, "MultiPV")) {
    setNumber(value.c_str(), MAX_MULTI_PV, 1, &multiPvOption);
  } else if (uciNameIs(name, "Clear Hash")) {
    startNewGame();
  } else if (uciNameIs(name, "Move Overhead")) {
    setNumber(value.c_str(), MOVE_OVERHEAD_MAX_MS, 0, &moveOverheadMs);
  } else if (uciNameIs(name, "OwnBook")) {
    setFlag(value, &ownBookOption);
  } else if (uciNameIs(name, "BookFile")) {
    setBookPath(value == "<empty>" ? "" : value.c_str());
  }
  // Ponder, UCI_Variant and anything else: no effect.
}
