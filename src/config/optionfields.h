// The named fields of the search-option image: where each lies in the
// 272-byte record, how wide it is, the values it may hold and the value that
// replaces a bad one. Shared by the image loader and the makeopt tool.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/searchoptions.h"

struct OptionField {
  const char* name;
  uint16_t offset;
  uint8_t size;      // 1, 2 or 4 bytes, little-endian, signed when wider than 1
  bool clampsToRange;  // a bad value is clamped (else replaced by fallback)
  int32_t low, high;   // the values the field may hold
  int32_t fallback;
};

extern const OptionField OPTION_FIELDS[];
extern const int OPTION_FIELD_COUNT;

// The field of that name, or null.
const OptionField* findOptionField(const char* name);

int32_t getOptionField(const SearchOptions& options, const OptionField& field);
void setOptionField(SearchOptions* options, const OptionField& field, int32_t value);

// Checks every named field that lies wholly within the first `length` bytes
// of the record; a value outside its range is reported on stderr (naming
// `source`) and repaired. Returns the number of repaired fields.
int repairSearchOptions(SearchOptions* options, size_t length, const char* source);
