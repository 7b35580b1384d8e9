// The readable form of the search-option image: one "name value" pair per
// line, names as in OPTION_FIELDS, '#' starting a comment. The makeopt tool
// turns it into HowToThink.opt.
#pragma once

#include <string>

#include "config/searchoptions.h"

// Fills the record (all zero first) from the text file. On an unknown name,
// a malformed or out-of-range value, a repeated name or extra words, returns
// false with a message naming the line in *error.
bool parseOptionText(const char* path, SearchOptions* options, std::string* error);

// Writes the 272-byte image; false when the file cannot be written whole.
bool writeOptionImage(const SearchOptions& options, const char* path);
