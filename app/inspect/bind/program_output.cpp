#include "app/inspect/bind/program_output.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/posix/utf8.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kLongest{10};

// A pipe's two ends, closed when it goes.
class Pipe {
 public:
  Pipe() {
    if (::pipe2(ends_, O_CLOEXEC) != 0) ends_[0] = ends_[1] = -1;
  }
  ~Pipe() {
    closeEnd(0);
    closeEnd(1);
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  bool made() const { return ends_[0] >= 0; }
  int readEnd() const { return ends_[0]; }
  int writeEnd() const { return ends_[1]; }
  void closeEnd(int end) {
    if (ends_[end] >= 0) ::close(ends_[end]);
    ends_[end] = -1;
  }

 private:
  int ends_[2];
};

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// Reads both pipes until the program has closed them or the time is up.
bool readAll(Pipe& out, Pipe& err, ProgramOutput& result, Clock::time_point deadline) {
  pollfd streams[2] = {{out.readEnd(), POLLIN, 0}, {err.readEnd(), POLLIN, 0}};
  std::string* into[2] = {&result.out, &result.err};
  while (streams[0].fd >= 0 || streams[1].fd >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    const int ready = ::poll(streams, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) return false;
    for (int i = 0; i < 2 && ready > 0; ++i) {
      if (streams[i].fd < 0 || streams[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = ::read(streams[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        into[i]->append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        streams[i].fd = -1;
      }
    }
  }
  return true;
}

}  // namespace

ProgramOutput runProgram(const std::vector<std::string>& command) {
  ProgramOutput result;
  Pipe out;
  Pipe err;
  SpawnActions actions;
  if (command.empty() || !out.made() || !err.made()) return result;
  posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(actions.get(), out.writeEnd(), 1);
  posix_spawn_file_actions_adddup2(actions.get(), err.writeEnd(), 2);
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int failed = posix_spawnp(&pid, argv[0], actions.get(), nullptr, argv.data(), environ);
  if (failed != 0) {
    result.err = command[0] + ": " + std::strerror(failed);
    return result;
  }
  out.closeEnd(1);
  err.closeEnd(1);
  const bool ended = readAll(out, err, result, Clock::now() + kLongest);
  if (!ended) ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.succeeded = ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!ended) result.err = command[0] + " did not end within " + std::to_string(kLongest.count()) + " seconds";
  return result;
}

ProgramOutput runProgram(const std::vector<std::wstring>& command) {
  std::vector<std::string> words;
  for (const std::wstring& word : command) {
    words.emplace_back();
    if (!utf8::narrowLossless(word, words.back())) return {};
  }
  return runProgram(words);
}

std::wstring saidBy(const ProgramOutput& run) { return utf8::widenLossless(run.out + run.err); }
