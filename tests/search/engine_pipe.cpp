#include "search/engine_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

constexpr int EXIT_GRACE_MS = 2000;

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

bool startsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

EnginePipe::EnginePipe(const std::string& binary, const std::string& workDir) {
  signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (pipe(in) != 0) return;
  if (pipe(out) != 0) {
    close(in[0]);
    close(in[1]);
    return;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) dup2(devNull, 2);
    for (int fd : {in[0], in[1], out[0], out[1], devNull})
      if (fd > 2) close(fd);
    if (chdir(workDir.c_str()) != 0) _exit(127);
    execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  if (pid < 0) {
    close(in[1]);
    close(out[0]);
    return;
  }
  pid_ = pid;
  toChild_ = in[1];
  fromChild_ = out[0];
}

EnginePipe::~EnginePipe() {
  if (toChild_ >= 0) close(toChild_);
  if (pid_ > 0) {
    // Drain the output until the engine goes, or kill it after a grace.
    std::string ignored;
    const auto deadline = Clock::now() + std::chrono::milliseconds(EXIT_GRACE_MS);
    while (fromChild_ >= 0 && msLeft(deadline) > 0 && nextLine(&ignored, msLeft(deadline))) {
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
  }
  if (fromChild_ >= 0) close(fromChild_);
}

bool EnginePipe::send(const std::string& line) {
  if (toChild_ < 0) return false;
  const std::string text = line + "\n";
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = write(toChild_, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

bool EnginePipe::nextLine(std::string* line, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line->assign(pending_, 0, end);
      if (!line->empty() && line->back() == '\r') line->pop_back();
      pending_.erase(0, end + 1);
      return true;
    }
    if (fromChild_ < 0) return false;
    pollfd fd = {fromChild_, POLLIN, 0};
    const int ready = poll(&fd, 1, msLeft(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char buffer[4096];
    const ssize_t n = read(fromChild_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      close(fromChild_);
      fromChild_ = -1;
      continue;
    }
    pending_.append(buffer, static_cast<size_t>(n));
  }
}

bool EnginePipe::readUntil(const std::function<bool(const std::string&)>& last,
                           std::vector<std::string>* lines, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string line;
  while (nextLine(&line, msLeft(deadline))) {
    lines->push_back(line);
    if (last(line)) return true;
  }
  return false;
}
