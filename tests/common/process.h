// Child processes on real pipes, with deadlines so that a hang fails a test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace kit {

inline bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }
inline std::string readFile(const std::string& path) {  // "" when unreadable
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Process {
 public:
  Process(const std::string& binary, const std::vector<std::string>& args = {}, const std::string& workDir = ".");
  ~Process();  // closes the input; kills the child if it is still there 2 s later
  Process(const Process&) = delete;
  void send(const std::string& line) { sendRaw(line + "\n"); }
  void sendRaw(const std::string& bytes);
  void closeInput();
  // Reads on to the first line not yet looked at for which `match` holds
  // ("<timeout>" or "<eof>" when none comes).
  std::string waitUntil(const std::function<bool(const std::string&)>& match, int timeoutMs = 20000);
  std::string waitFor(const std::string& prefix, int timeoutMs = 20000) {
    return waitUntil([&](const std::string& line) { return startsWith(line, prefix); }, timeoutMs);
  }
  // Reads all output; the exit code, -1 after a signal or a kill at the deadline.
  int waitExit(int timeoutMs = 20000);
  // A batch run: the input sent, then closed; the exit code.
  int run(const std::string& input, int timeoutMs = 20000) { return sendRaw(input), closeInput(), waitExit(timeoutMs); }
  std::vector<std::string> lines;  // every stdout line read so far
  void clearLines() { lines.clear(), seen_ = 0; }
  std::string out, err;
  bool timedOut = false;

 private:
  bool pump(int timeoutMs);  // one poll; false at the deadline or when all is closed
  int pid_ = -1, in_ = -1, out_ = -1, err_ = -1, exitCode_ = -1;
  size_t seen_ = 0, lineStart_ = 0;
  std::string pending_;  // input the child has not taken yet
};

// The built engine in a directory holding its data files, by default the build
// directory (PosVal.txt, Config.ini, TimeManagement.txt, HowToThink.opt,
// OpenBook.dat, Network.nnue).
struct Engine : Process {
  explicit Engine(const std::string& workDir = TOLVANE_BUILD_DIR, const std::vector<std::string>& args = {})
      : Process(TOLVANE_BINARY, args, workDir) {}
  bool handshake(int timeoutMs = 20000) { return send("ucci"), waitFor("ucciok", timeoutMs) == "ucciok"; }
};

// A fresh directory under the temp directory, removed with all it holds.
struct TempDir {
  std::string path = (std::filesystem::temp_directory_path() / "tolvane-XXXXXX").string();
  TempDir() { if (mkdtemp(path.data()) == nullptr) path.clear(); }
  ~TempDir() { std::error_code ignored; if (!path.empty()) std::filesystem::remove_all(path, ignored); }
  std::string file(const std::string& name) const { return path + "/" + name; }
  void write(const std::string& name, const std::string& text) const { std::ofstream(file(name), std::ios::binary) << text; }
  void copyIn(const std::string& source, const std::string& name) const {  // keeps permissions
    std::filesystem::copy_file(source, file(name), std::filesystem::copy_options::overwrite_existing);
  }
};

// A data file with the text (none at all for "-") given to a loader: its
// verdict and what it wrote on stderr.
struct Loaded { bool ok; std::string messages; };
template <typename Load>
Loaded loadText(const std::string& text, Load loader) {
  static const TempDir dir;
  std::filesystem::remove(dir.file("file"));
  if (text != "-") dir.write("file", text);
  ::testing::internal::CaptureStderr();
  const bool ok = loader(dir.file("file").c_str());
  return {ok, ::testing::internal::GetCapturedStderr()};
}

}  // namespace kit
