#include "tests/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

std::vector<char*> pointers(const std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (const std::string& text : strings) result.push_back(const_cast<char*>(text.c_str()));
  result.push_back(nullptr);
  return result;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment, const std::string& folder,
                           const std::string& outputFile, int errorStream) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (errorStream == kErrorClosed) {
    posix_spawn_file_actions_addclose(&actions, STDERR_FILENO);
  } else {
    posix_spawn_file_actions_adddup2(
        &actions, errorStream == kErrorToOutput ? STDOUT_FILENO : errorStream, STDERR_FILENO);
  }
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const std::vector<char*> args = pointers(argv);
  const std::vector<char*> env = pointers(environment);
  const int failed =
      posix_spawn(&pid_, argv[0].c_str(), &actions, &attributes, args.data(), env.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(failed));
  }
}

ChildProcess::~ChildProcess() {
  if (ended_) return;
  ::kill(pid_, SIGKILL);
  int status;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
}

bool ChildProcess::waitFor(double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!ended_) {
    int status;
    const pid_t got = ::waitpid(pid_, &status, WNOHANG);
    if (got == pid_) {
      ended_ = true;
      exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    } else if (got < 0 && errno != EINTR) {
      throw std::runtime_error("waitpid failed");
    } else if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  return true;
}

ProcessState stateOf(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  // The name in parentheses may hold anything; the fields follow the last ")".
  std::istringstream fields(text.substr(text.rfind(')') + 1));
  ProcessState result{'?', 0, 0};
  fields >> result.state >> result.parent;
  std::string skipped;
  for (int field = 5; field <= 13; ++field) fields >> skipped;
  long userTicks = 0;
  long systemTicks = 0;
  fields >> userTicks >> systemTicks;
  result.cpuSeconds = static_cast<double>(userTicks + systemTicks) / ::sysconf(_SC_CLK_TCK);
  return result;
}

namespace {

// How many children of `parent` are in a state that `counts` accepts.
template <typename Counts>
int childrenOf(pid_t parent, Counts counts) {
  int found = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const ProcessState state = stateOf(std::stoi(name));
    if (state.parent == parent && counts(state.state)) ++found;
  }
  return found;
}

}  // namespace

int zombieChildrenOf(pid_t parent) {
  return childrenOf(parent, [](char state) { return state == 'Z'; });
}

int childrenOf(pid_t parent) {
  return childrenOf(parent, [](char) { return true; });
}

Descendants::Descendants() {
  if (::prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) throw std::runtime_error("no subreaper");
}

Descendants::~Descendants() { ::prctl(PR_SET_CHILD_SUBREAPER, 0); }

bool Descendants::waitForAll(double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (true) {
    int status;
    const pid_t got = ::waitpid(-1, &status, WNOHANG);
    if (got < 0 && errno == ECHILD) return true;
    if (got > 0 || (got < 0 && errno == EINTR)) continue;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}
