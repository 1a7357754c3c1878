#include "platform/posix/children.h"
#include "platform/services.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <vector>

namespace {

std::vector<pid_t>& forgotten() {
  static std::vector<pid_t> pids;
  return pids;
}

// True once `pid` has ended and been collected (ECHILD: it is gone already).
bool collected(pid_t pid) {
  int status;
  pid_t got;
  while ((got = ::waitpid(pid, &status, WNOHANG)) < 0 && errno == EINTR) {
  }
  return got == pid || (got < 0 && errno == ECHILD);
}

// Holds SIGCHLD back while we wait for it, so that a program that ends
// between a look and the wait still wakes the wait. What was blocked before
// is blocked again afterwards.
class ChildSignalHeld {
 public:
  ChildSignalHeld() {
    sigemptyset(&childSignal_);
    sigaddset(&childSignal_, SIGCHLD);
    pthread_sigmask(SIG_BLOCK, &childSignal_, &previous_);
  }
  ~ChildSignalHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  ChildSignalHeld(const ChildSignalHeld&) = delete;
  ChildSignalHeld& operator=(const ChildSignalHeld&) = delete;

  // Returns when a program ends, another signal arrives, or `timeout` (null:
  // none) has passed.
  void await(const timespec* timeout) const { sigtimedwait(&childSignal_, nullptr, timeout); }

 private:
  sigset_t childSignal_;
  sigset_t previous_;
};

timespec now() {
  timespec time{};
  clock_gettime(CLOCK_MONOTONIC, &time);
  return time;
}

// `until` - `from`, or nothing when `until` has come.
bool remaining(const timespec& from, const timespec& until, timespec& left) {
  left.tv_sec = until.tv_sec - from.tv_sec;
  left.tv_nsec = until.tv_nsec - from.tv_nsec;
  if (left.tv_nsec < 0) {
    left.tv_nsec += 1000000000L;
    --left.tv_sec;
  }
  return left.tv_sec > 0 || (left.tv_sec == 0 && left.tv_nsec > 0);
}

}  // namespace

namespace children {

void prepareToStart() {
  struct sigaction action {};
  if (sigaction(SIGCHLD, nullptr, &action) == 0 && action.sa_handler == SIG_IGN) {
    action.sa_handler = SIG_DFL;
    sigaction(SIGCHLD, &action, nullptr);
  }
}

void forget(pid_t pid) {
  forgotten().push_back(pid);
  collectEnded();
}

void collectEnded() {
  std::vector<pid_t>& pids = forgotten();
  pids.erase(std::remove_if(pids.begin(), pids.end(), collected), pids.end());
}

void waitFor(pid_t pid) {
  const ChildSignalHeld held;
  while (true) {
    collectEnded();
    if (collected(pid)) return;
    held.await(nullptr);
  }
}

void pause(std::uint32_t milliseconds) {
  timespec until = now();
  until.tv_sec += static_cast<time_t>(milliseconds / 1000);
  until.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
  if (until.tv_nsec >= 1000000000L) {
    until.tv_nsec -= 1000000000L;
    ++until.tv_sec;
  }
  const ChildSignalHeld held;
  timespec left;
  while (true) {
    collectEnded();
    if (!remaining(now(), until, left)) return;
    held.await(&left);
  }
}

}  // namespace children

// The pause is owed in full whatever signal cuts it short; programs started
// before it are collected as soon as they end.
void Sleep(DWORD milliseconds) { children::pause(milliseconds); }
