// What the line reader needs of the host: bytes from standard input, taken
// only when taking them cannot block. One implementation per host.
#pragma once

#include <cstddef>

// Reads what standard input holds right now, at most `capacity` bytes, without
// waiting: the number of bytes read, 0 when nothing is ready, -1 once the
// input has ended or failed.
long readReadyInput(char* buffer, size_t capacity);
// Makes descriptor fd the input from now on (0: standard input).
void selectInput(int fd);
