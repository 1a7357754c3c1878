// "Open" on a POSIX desktop: a program is started directly, anything else
// that exists (a document, a folder) or looks like a URL goes to xdg-open.
// No shell is ever involved, so nothing in a profile is expanded or run by
// one.
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/posix/children.h"
#include "platform/posix/utf8.h"
#include "platform/posix/words.h"

extern char** environ;

namespace {

// What a process HANDLE points to here.
struct Process {
  pid_t pid;
  bool ended;
};

bool isExecutableFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

bool exists(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0;
}

std::string searchPath() {
  if (const char* path = std::getenv("PATH")) return path;
  std::string fallback(::confstr(_CS_PATH, nullptr, 0), '\0');
  ::confstr(_CS_PATH, fallback.data(), fallback.size());
  fallback.pop_back();
  return fallback;
}

// The first executable of this name on PATH, or empty. An empty PATH
// element means the current folder, as for the shell.
std::string findOnPath(const std::string& name) {
  const std::string path = searchPath();
  std::size_t begin = 0;
  while (true) {
    const std::size_t end = path.find(':', begin);
    const std::string folder = path.substr(begin, end == std::string::npos ? end : end - begin);
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (isExecutableFile(candidate)) return candidate;
    if (end == std::string::npos) return {};
    begin = end + 1;
  }
}

// scheme ":" something, the scheme being a letter and then letters, digits,
// "+", "-" or ".".
bool looksLikeUrl(const std::string& text) {
  const auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  if (text.empty() || !isAlpha(text[0])) return false;
  std::size_t at = 1;
  while (at < text.size() &&
         (isAlpha(text[at]) || isDigit(text[at]) || text[at] == '+' || text[at] == '-' ||
          text[at] == '.')) {
    ++at;
  }
  return at + 1 < text.size() && text[at] == ':';
}

// The program to run and its arguments, or an empty list when the file
// names nothing that can be opened.
std::vector<std::string> commandFor(const std::string& file, const std::string& parameters) {
  std::string program;
  if (file.find('/') != std::string::npos) {
    if (isExecutableFile(file)) program = file;
  } else {
    program = findOnPath(file);
  }
  if (!program.empty()) {
    std::vector<std::string> command = splitWords(parameters);
    command.insert(command.begin(), file);
    command.insert(command.begin(), program);  // the path to run, then argv
    return command;
  }
  if (!exists(file) && !looksLikeUrl(file)) return {};
  const std::string opener = findOnPath("xdg-open");
  if (opener.empty()) return {};
  return {opener, "xdg-open", file};
}

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
  const std::vector<std::string> command = commandFor(file, parameters);
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
