// A stand-in for a Windows front end, run under Wine by the Wine sessions:
//   pipe_relay.exe WORKDIR ENGINE.exe [ARGS...]
// starts the engine in WORKDIR as front ends do (anonymous Windows pipes on
// its standard input and output, no console window, named without its
// folder) and relays our own input and output to and from those pipes. The
// engine's stderr is ours; our exit code is the engine's.
#include <windows.h>

#include <string>

namespace {

HANDLE toEngine = nullptr;

void copy(HANDLE from, HANDLE to) {
  static char chunks[2][65536];
  char* chunk = chunks[to == toEngine];
  DWORD n = 0, written = 0;
  while (ReadFile(from, chunk, sizeof chunks[0], &n, nullptr) && n > 0 &&
         WriteFile(to, chunk, n, &written, nullptr)) {
  }
}

DWORD WINAPI forwardInput(void*) {
  copy(GetStdHandle(STD_INPUT_HANDLE), toEngine);
  CloseHandle(toEngine);  // the end of our input is the end of the engine's
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE childIn = nullptr, childOut = nullptr, fromEngine = nullptr;
  if (argc < 3 || !CreatePipe(&childIn, &toEngine, &inheritable, 0) ||
      !CreatePipe(&fromEngine, &childOut, &inheritable, 0))
    return 120;
  SetHandleInformation(toEngine, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(fromEngine, HANDLE_FLAG_INHERIT, 0);
  const std::string engine = argv[2];
  std::string commandLine = "\"" + engine.substr(engine.find_last_of("\\/") + 1) + "\"";
  for (int i = 3; i < argc; ++i) commandLine += std::string(" \"") + argv[i] + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = childIn;
  startup.hStdOutput = childOut;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION child{};
  if (!CreateProcessA(argv[2], &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, argv[1],
                      &startup, &child))
    return 121;
  CloseHandle(childIn);
  CloseHandle(childOut);
  CreateThread(nullptr, 0, forwardInput, nullptr, 0, nullptr);
  copy(fromEngine, GetStdHandle(STD_OUTPUT_HANDLE));
  WaitForSingleObject(child.hProcess, INFINITE);
  DWORD code = 122;
  GetExitCodeProcess(child.hProcess, &code);
  return static_cast<int>(code);
}
