// All protocol output goes through here: one line at a time, flushed at once.
// Tests can capture the lines instead of writing them to stdout.
#pragma once

#include <string>
#include <vector>

// printf-style; a newline is added and stdout flushed.
void sendLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// While capturing, lines go into the buffer instead of stdout.
void startCapture();
std::vector<std::string> stopCapture();
