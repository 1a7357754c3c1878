// "Open" on a POSIX desktop: a program is started directly, anything else
// that exists (a document, a folder) or looks like a URL goes to xdg-open.
// No shell is ever involved, so nothing in a profile is expanded or run by
// one.
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/posix/children.h"
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

// The start state a program may expect of whatever starts it: in a session
// of its own, so that it outlives us and our terminal, with no signal
// blocked and every signal at its default, whatever our own parent left us
// with (a blocked SIGTERM, an ignored SIGPIPE or SIGHUP would otherwise be
// handed on).
bool setStartState(posix_spawnattr_t& attributes) {
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  return posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
         posix_spawnattr_setsigdefault(&attributes, &all) == 0 &&
         posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                   POSIX_SPAWN_SETSIGDEF) == 0;
}

pid_t spawn(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (auto it = command.begin() + 1; it != command.end(); ++it) {
    argv.push_back(const_cast<char*>(it->c_str()));
  }
  argv.push_back(nullptr);
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return -1;
  pid_t pid = -1;
  const bool started = setStartState(attributes) &&
                       posix_spawn(&pid, command[0].c_str(), nullptr, &attributes,
                                   argv.data(), environ) == 0;
  posix_spawnattr_destroy(&attributes);
  return started ? pid : -1;
}

}  // namespace

BOOL ShellExecuteEx(SHELLEXECUTEINFO* request) {
  request->hProcess = nullptr;
  children::collectEnded();
  std::string file;
  std::string parameters;
  if (request->lpFile == nullptr || !utf8::narrowLossless(request->lpFile, file) ||
      (request->lpParameters != nullptr &&
       !utf8::narrowLossless(request->lpParameters, parameters))) {
    return 0;
  }
  const std::vector<std::string> command = posix::openCommand(file, parameters).command;
  if (command.empty()) return 0;
  children::prepareToStart();
  const pid_t pid = spawn(command);
  if (pid < 0) return 0;
  if (request->fMask & SEE_MASK_NOCLOSEPROCESS) {
    request->hProcess = new Process{pid, false};
  } else {
    children::forget(pid);
  }
  return 1;
}

// Tarvexel only ever waits without a time limit.
DWORD WaitForSingleObject(HANDLE handle, DWORD) {
  auto* process = static_cast<Process*>(handle);
  if (!process->ended) {
    children::waitFor(process->pid);
    process->ended = true;
  }
  return 0;  // WAIT_OBJECT_0
}

// A program nobody waited for is collected once it ends (children.h); it
// is never stopped, and outlives us if it runs on.
BOOL CloseHandle(HANDLE handle) {
  auto* process = static_cast<Process*>(handle);
  if (!process->ended) children::forget(process->pid);
  delete process;
  return 1;
}
