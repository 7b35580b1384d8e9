// Config.ini: the transposition-table size.
#pragma once

// Transposition-table sizes in megabytes: the accepted range and the size
// used when nothing else is asked for.
constexpr int HASH_MIN_MB = 16;
constexpr int HASH_MAX_MB = 1024;
constexpr int HASH_DEFAULT_MB = 32;

// Reads the file; true when its end mark is right. A size outside the
// table's range 16..1024 is reported on stderr and clamped (a size of 0 or
// below means the built-in 32); values read before a bad end mark are kept.
// hashSizeMb is left alone when the file gives no size.
bool loadConfig(const char* path, int* hashSizeMb);
