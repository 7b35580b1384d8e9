#include "frontend/engine_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

void splitLines(EngineRun& run) {
  std::istringstream in(run.out);
  std::string line;
  while (std::getline(in, line)) run.lines.push_back(line);
}

}  // namespace

EngineRun runEngineProcess(const EngineLaunch& launch) {
  signal(SIGPIPE, SIG_IGN);
  EngineRun run;
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) return run;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
    if (chdir(launch.workDir.c_str()) != 0) _exit(127);
    execl(launch.binary.c_str(), launch.binary.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  int toChild = inPipe[1];
  fcntl(toChild, F_SETFL, O_NONBLOCK);
  size_t written = 0;
  if (launch.input.empty() && launch.closeInput) {
    close(toChild);
    toChild = -1;
  }
  int fromOut = outPipe[0], fromErr = errPipe[0];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(launch.timeoutMs);
  while (fromOut >= 0 || fromErr >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) {
      run.timedOut = true;
      break;
    }
    pollfd fds[3] = {{fromOut, POLLIN, 0}, {fromErr, POLLIN, 0},
                     {written < launch.input.size() ? toChild : -1, POLLOUT, 0}};
    if (poll(fds, 3, static_cast<int>(left)) < 0 && errno != EINTR) break;
    char buffer[65536];
    for (int i = 0; i < 2; ++i) {
      int& fd = i == 0 ? fromOut : fromErr;
      if (fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n > 0) {
        (i == 0 ? run.out : run.err).append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fd);
        fd = -1;
      }
    }
    if (toChild >= 0 && fds[2].revents != 0) {
      const ssize_t n = write(toChild, launch.input.data() + written, launch.input.size() - written);
      if (n > 0) written += static_cast<size_t>(n);
      if (n < 0 && errno != EAGAIN && errno != EINTR) written = launch.input.size();  // child gone
      if (written == launch.input.size() && launch.closeInput) {
        close(toChild);
        toChild = -1;
      }
    }
  }
  if (run.timedOut) kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  for (int fd : {toChild, fromOut, fromErr})
    if (fd >= 0) close(fd);
  if (!run.timedOut && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  splitLines(run);
  return run;
}

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "tolvane-XXXXXX").string();
  if (mkdtemp(&pattern[0]) != nullptr) path = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!path.empty()) fs::remove_all(path, ignored);
}

void TempDir::copyIn(const std::string& source, const std::string& name) const {
  fs::copy_file(source, fs::path(path) / name, fs::copy_options::overwrite_existing);
}

void TempDir::write(const std::string& name, const std::string& content) const {
  std::ofstream(fs::path(path) / name, std::ios::binary) << content;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
