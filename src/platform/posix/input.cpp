// Standard input on a POSIX host: poll says whether a read would block.
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/rawinput.h"

namespace {

int inputFd = 0;

}  // namespace

long readReadyInput(char* buffer, size_t capacity) {
  for (;;) {
    pollfd p{inputFd, POLLIN, 0};
    const int ready = poll(&p, 1, 0);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (ready == 0) return 0;
    if ((p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) == 0) return 0;
    if (p.revents & POLLNVAL) return -1;
    const ssize_t n = read(inputFd, buffer, capacity);
    if (n > 0) return static_cast<long>(n);
    if (n == 0) return -1;
    if (errno == EINTR) continue;
    return errno == EAGAIN ? 0 : -1;
  }
}

void selectInput(int fd) { inputFd = fd; }
