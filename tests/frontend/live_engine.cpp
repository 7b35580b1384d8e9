#include "frontend/live_engine.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace {
using Clock = std::chrono::steady_clock;
int msLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}
}  // namespace

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

LiveEngine::LiveEngine() {
  signal(SIGPIPE, SIG_IGN);
  int inPipe[2], outPipe[2];
  if (pipe(inPipe) != 0 || pipe(outPipe) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1]}) close(fd);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) dup2(devNull, 2);
    if (chdir(TOLVANE_BUILD_DIR) != 0) _exit(127);
    execl(TOLVANE_BINARY, TOLVANE_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  in_ = inPipe[1];
  out_ = outPipe[0];
}

LiveEngine::~LiveEngine() {
  closeInput();
  if (pid_ > 0 && waitExit(2000) == -1) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) close(out_);
}

void LiveEngine::send(const std::string& line) {
  if (in_ < 0) return;
  const std::string text = line + "\n";
  if (write(in_, text.data(), text.size()) < 0) closeInput();
}

void LiveEngine::closeInput() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

bool LiveEngine::readLine(std::string* line, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const size_t newline = buffer_.find('\n');
    if (newline != std::string::npos) {
      *line = buffer_.substr(0, newline);
      buffer_.erase(0, newline + 1);
      lines.push_back(*line);
      return true;
    }
    pollfd fd = {out_, POLLIN, 0};
    if (poll(&fd, 1, msLeft(deadline)) <= 0) {
      *line = "<timeout>";
      return false;
    }
    char chunk[4096];
    const ssize_t n = read(out_, chunk, sizeof chunk);
    if (n <= 0) {
      *line = "<eof>";
      return false;
    }
    buffer_.append(chunk, static_cast<size_t>(n));
  }
}

std::string LiveEngine::waitFor(const std::string& prefix, int timeoutMs) {
  return waitUntil([&](const std::string& line) { return startsWith(line, prefix); }, timeoutMs);
}

std::string LiveEngine::waitUntil(const std::function<bool(const std::string&)>& last,
                                  int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string line;
  while (readLine(&line, msLeft(deadline)))
    if (last(line)) return line;
  return line;
}

int LiveEngine::waitExit(int timeoutMs) {
  if (pid_ <= 0) return -1;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string line;
  while (readLine(&line, msLeft(deadline))) {
  }
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (msLeft(deadline) == 0) return -1;
    usleep(1000);
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
