#include "app/inspect/bind/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/posix/utf8.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kLimit{5};

// The pipe the program writes to; closes what is still open.
struct Pipe {
  int ends[2] = {-1, -1};
  Pipe() {
    if (::pipe2(ends, O_CLOEXEC) != 0) ends[0] = ends[1] = -1;
  }
  ~Pipe() {
    closeEnd(0);
    closeEnd(1);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  void closeEnd(int i) {
    if (ends[i] >= 0) ::close(ends[i]);
    ends[i] = -1;
  }
};

pid_t start(const std::vector<std::string>& command, int output) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return -1;
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, output, 1);
  posix_spawn_file_actions_adddup2(&actions, output, 2);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// Reads until the program closes its end or the time is up.
std::string readUntil(int from, Clock::time_point end) {
  std::string bytes;
  char block[4096];
  while (Clock::now() < end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    pollfd ready{from, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(left.count()) + 1);
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) break;
    const ssize_t got = ::read(from, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    bytes.append(block, static_cast<std::size_t>(got));
  }
  return bytes;
}

// The status of a program that has closed its output, waited for until
// `end`; killed when it is still running then.
bool waitFor(pid_t pid, Clock::time_point end, int& status) {
  for (;;) {
    const pid_t got = ::waitpid(pid, &status, WNOHANG);
    if (got == pid) return WIFEXITED(status);
    if (got < 0 && errno != EINTR) return false;
    if (Clock::now() >= end) break;
    ::usleep(10000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return false;
}

}  // namespace

ProgramRun runProgram(const std::vector<std::wstring>& command) {
  ProgramRun run;
  std::vector<std::string> words;
  for (const std::wstring& word : command) {
    words.emplace_back();
    if (!utf8::narrowLossless(word, words.back())) return run;
  }
  Pipe pipe;
  if (words.empty() || pipe.ends[0] < 0) return run;
  const Clock::time_point end = Clock::now() + kLimit;
  const pid_t pid = start(words, pipe.ends[1]);
  pipe.closeEnd(1);
  if (pid < 0) return run;
  run.output = utf8::widenLossless(readUntil(pipe.ends[0], end));
  int status = 0;
  run.ended = waitFor(pid, end, status);
  if (run.ended) run.status = WEXITSTATUS(status);
  return run;
}
