#include "frontend/setoption.h"

#include <algorithm>
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

void setClockUnit(const std::string& value) {
  if (value == "true")
    goClockInMilliseconds = true;
  else if (value == "false")
    goClockInMilliseconds = false;
}

}  // namespace

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
    setClockUnit(option.value);
  } else if (nameIs(option, "newgame")) {
    // Nothing learnt in the last game carries over.
    clearHash();
    clearSearchMemory();
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
