#include "bench/child_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace {

std::string onPath(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  std::size_t begin = 0;
  while (begin <= folders.size()) {
    std::size_t end = folders.find(':', begin);
    if (end == std::string::npos) end = folders.size();
    const std::string candidate = folders.substr(begin, end - begin) + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    begin = end + 1;
  }
  throw std::runtime_error(program + " is not on PATH");
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (std::string& text : strings) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

double millisecondsBetween(const timespec& from, const timespec& to) {
  return (to.tv_sec - from.tv_sec) * 1e3 + (to.tv_nsec - from.tv_nsec) / 1e6;
}

// The process's peak resident memory so far, from /proc.
long highWaterMarkKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// /dev/null for the children's standard streams, opened once.
int nullDevice() {
  static const int fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  return fd;
}

}  // namespace

Command::Command(const std::string& program, std::vector<std::string> arguments,
                 std::vector<std::string> environment)
    : path_(onPath(program)),
      arguments_(std::move(arguments)),
      environment_(std::move(environment)),
      argv_(pointers(arguments_)),
      envp_(pointers(environment_)) {}

ChildRun Command::run() const {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int stream = 0; stream < 3; ++stream) {
    posix_spawn_file_actions_adddup2(&actions, nullDevice(), stream);
  }
  timespec start{};
  timespec end{};
  pid_t pid = -1;
  int status = 0;
  clock_gettime(CLOCK_MONOTONIC, &start);
  const int failed =
      posix_spawn(&pid, path_.c_str(), &actions, nullptr, argv_.data(), envp_.data());
  if (failed == 0) {
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error("cannot start " + path_ + ": " + std::strerror(failed));
  return {millisecondsBetween(start, end), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

long Command::peakResidentKiB() const {
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Only calls that are safe between fork and exec.
    for (int stream = 0; stream < 3; ++stream) ::dup2(nullDevice(), stream);
    if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(126);
    ::execve(path_.c_str(), argv_.data(), envp_.data());
    ::_exit(127);
  }
  long peak = -1;
  int status;
  while (::waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
    int signal = WSTOPSIG(status);
    if (signal == SIGTRAP && (status >> 16) == 0) {
      // Stopped at its exec: from here on, stop it again as it exits.
      ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT);
      signal = 0;
    } else if (signal == SIGTRAP && (status >> 16) == PTRACE_EVENT_EXIT) {
      peak = highWaterMarkKiB(pid);
      signal = 0;
    }
    ::ptrace(PTRACE_CONT, pid, nullptr, signal);
  }
  return peak;
}

BackgroundProcess::BackgroundProcess(const std::string& program,
                                     std::vector<std::string> arguments,
                                     std::vector<std::string> environment, int passFd) {
  const std::string path = onPath(program);
  std::vector<char*> argv = pointers(arguments);
  std::vector<char*> envp = pointers(environment);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int stream = 0; stream < 3; ++stream) {
    posix_spawn_file_actions_adddup2(&actions, nullDevice(), stream);
  }
  if (passFd >= 0) posix_spawn_file_actions_adddup2(&actions, passFd, 3);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error("cannot start " + path + ": " + std::strerror(failed));
  pid_ = pid;
}

BackgroundProcess::~BackgroundProcess() {
  ::kill(pid_, SIGTERM);
  while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
}

std::vector<std::string> environmentWithout(const std::vector<std::string>& names) {
  std::vector<std::string> result;
  for (char** at = environ; *at != nullptr; ++at) {
    const std::string variable = *at;
    const std::string name = variable.substr(0, variable.find('='));
    if (std::find(names.begin(), names.end(), name) == names.end()) result.push_back(variable);
  }
  return result;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + values.size() / 2;
  std::nth_element(values.begin(), middle, values.end());
  if (values.size() % 2 == 1) return *middle;
  return (*middle + *std::max_element(values.begin(), middle)) / 2;
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tarvexel-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::write(const std::string& name, const std::string& bytes) const {
  const std::string path = path_ + "/" + name;
  std::ofstream file(path, std::ios::binary);
  if (!(file << bytes) || !file.flush()) throw std::runtime_error("cannot write " + path);
  return path;
}
