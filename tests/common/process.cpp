#include "common/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace kit {
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;
static int msLeft(Clock::time_point t) { return std::max(0, int(std::chrono::duration_cast<Ms>(t - Clock::now()).count())); }

Process::Process(const std::string& binary, const std::vector<std::string>& args, const std::string& workDir) {
  signal(SIGPIPE, SIG_IGN);
  std::vector<char*> argv{const_cast<char*>(binary.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int in[2], out[2], err[2];  // none of them reaches a child but as its 0, 1 and 2
  if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC) || (pid_ = fork()) < 0) return;
  if (pid_ == 0) {
    dup2(in[0], 0), dup2(out[1], 1), dup2(err[1], 2);
    if (chdir(workDir.c_str()) == 0) execv(binary.c_str(), argv.data());
    _exit(127);
  }
  close(in[0]), close(out[1]), close(err[1]);
  in_ = in[1], out_ = out[0], err_ = err[0];
  fcntl(in_, F_SETFL, O_NONBLOCK);
}
Process::~Process() {
  closeInput(), waitExit(2000);
  for (int fd : {out_, err_}) if (fd >= 0) close(fd);
}
void Process::sendRaw(const std::string& bytes) {
  pending_ += bytes;
  const auto deadline = Clock::now() + Ms(20000);
  while (!pending_.empty() && in_ >= 0 && pump(msLeft(deadline))) {}
}
void Process::closeInput() {
  if (in_ >= 0) close(in_), in_ = -1;
  pending_.clear();
}
bool Process::pump(int timeoutMs) {
  pollfd fds[3] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}, {pending_.empty() ? -1 : in_, POLLOUT, 0}};
  if (out_ < 0 && err_ < 0 && fds[2].fd < 0) return false;
  const int ready = poll(fds, 3, timeoutMs);
  if (ready <= 0) return ready < 0 && errno == EINTR;
  char chunk[65536];
  for (int i = 0; i < 2; ++i) {
    int& fd = i == 0 ? out_ : err_;
    const ssize_t n = fds[i].revents ? read(fd, chunk, sizeof chunk) : -2;
    if (n > 0) (i == 0 ? out : err).append(chunk, static_cast<size_t>(n));
    if (n == 0 || (n == -1 && errno != EINTR)) close(fd), fd = -1;
  }
  for (size_t end; (end = out.find('\n', lineStart_)) != std::string::npos; lineStart_ = end + 1)
    lines.push_back(out.substr(lineStart_, end - lineStart_));
  if (out_ < 0 && lineStart_ < out.size()) lines.push_back(out.substr(lineStart_)), lineStart_ = out.size();
  if (fds[2].revents) {
    const ssize_t n = write(in_, pending_.data(), pending_.size());
    if (n > 0) pending_.erase(0, static_cast<size_t>(n));
    else if (errno != EAGAIN && errno != EINTR) closeInput();  // the child has gone
  }
  return true;
}
std::string Process::waitUntil(const std::function<bool(const std::string&)>& match, int timeoutMs) {
  const auto deadline = Clock::now() + Ms(timeoutMs);
  for (;;) {
    while (seen_ < lines.size())
      if (match(lines[seen_++])) return lines[seen_ - 1];
    if (!pump(msLeft(deadline))) return out_ < 0 ? "<eof>" : "<timeout>";
  }
}
int Process::waitExit(int timeoutMs) {
  const auto deadline = Clock::now() + Ms(timeoutMs);
  while (pid_ > 0 && pump(msLeft(deadline))) {}
  for (int status; pid_ > 0;) {
    if (waitpid(pid_, &status, WNOHANG) == pid_)
      pid_ = -1, exitCode_ = !timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    else if (msLeft(deadline) > 0) usleep(1000);
    else timedOut = true, kill(pid_, SIGKILL);
  }
  return exitCode_;
}
}  // namespace kit
