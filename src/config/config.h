// Config.ini: the transposition-table size.
#pragma once

// Reads the file; true when its end mark is right. A size outside the
// table's range is reported on stderr and clamped; values read before a
// bad end mark are kept.
bool loadConfig(const char* path, int* hashSizeMb);
