// "Open" on a POSIX desktop: a program is started directly, anything else
// that exists (a document, a folder) or looks like a URL goes to xdg-open.
// No shell is ever involved, so nothing in a profile is expanded or run by
// one.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/posix/open_command.h"
#include "platform/posix/utf8.h"
#include "platform/services.h"

extern char** environ;

namespace {

// What a process HANDLE points to here.
struct Process {
  pid_t pid;
  bool ended;
};

// In a session of its own, the program outlives us and our terminal.
pid_t spawn(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (auto it = command.begin() + 1; it != command.end(); ++it) {
    argv.push_back(const_cast<char*>(it->c_str()));
  }
  argv.push_back(nullptr);
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return -1;
  pid_t pid = -1;
  const bool started = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID) == 0 &&
                       posix_spawn(&pid, command[0].c_str(), nullptr, &attributes,
                                   argv.data(), environ) == 0;
  posix_spawnattr_destroy(&attributes);
  return started ? pid : -1;
}

}  // namespace

BOOL ShellExecuteEx(SHELLEXECUTEINFO* request) {
  request->hProcess = nullptr;
  std::string file;
  std::string parameters;
  if (request->lpFile == nullptr || !utf8::narrowLossless(request->lpFile, file) ||
      (request->lpParameters != nullptr &&
       !utf8::narrowLossless(request->lpParameters, parameters))) {
    return 0;
  }
  const std::vector<std::string> command = posix::openCommand(file, parameters).command;
  if (command.empty()) return 0;
  const pid_t pid = spawn(command);
  if (pid < 0) return 0;
  if (request->fMask & SEE_MASK_NOCLOSEPROCESS) {
    request->hProcess = new Process{pid, false};
  }
  return 1;
}

// Tarvexel only ever waits without a time limit.
DWORD WaitForSingleObject(HANDLE handle, DWORD) {
  auto* process = static_cast<Process*>(handle);
  if (!process->ended) {
    int status;
    while (::waitpid(process->pid, &status, 0) < 0 && errno == EINTR) {
    }
    process->ended = true;
  }
  return 0;  // WAIT_OBJECT_0
}

BOOL CloseHandle(HANDLE handle) {
  auto* process = static_cast<Process*>(handle);
  // Collect it if it has already ended; otherwise it is adopted by the
  // system once we exit.
  if (!process->ended) {
    int status;
    ::waitpid(process->pid, &status, WNOHANG);
  }
  delete process;
  return 1;
}
