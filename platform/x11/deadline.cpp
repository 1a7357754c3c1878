#include "platform/x11/deadline.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <cerrno>

namespace x11 {
namespace {

// After the deadline the timer keeps firing, so that a library that retries
// an interrupted call (a connect to the next address, a poll) is stopped
// again.
constexpr suseconds_t kRepeatMicroseconds = 20 * 1000;

// The descriptors a library's own connection may take, for watchNewSockets.
constexpr int kTrackedDescriptors = 4096;

// What the signal handler shuts down: a signal handler can be handed
// nothing else. One socket, or (watchingNew) every socket that was not
// open before.
volatile sig_atomic_t watched = -1;
volatile sig_atomic_t watchingNew = 0;
std::bitset<kTrackedDescriptors> openBefore;

// The innermost deadline that lives.
Deadline* innermost = nullptr;

void shutDown(int fd) {
  struct stat status;
  if (::fstat(fd, &status) == 0 && S_ISSOCK(status.st_mode)) ::shutdown(fd, SHUT_RDWR);
}

void onAlarm(int) {
  const int saved = errno;
  if (watched >= 0) shutDown(watched);
  if (watchingNew) {
    for (int fd = 0; fd < kTrackedDescriptors; ++fd)
      if (!openBefore[static_cast<std::size_t>(fd)]) shutDown(fd);
  }
  errno = saved;
}

timeval microseconds(long long count) {
  return timeval{static_cast<time_t>(count / 1000000), static_cast<suseconds_t>(count % 1000000)};
}

sigset_t alarmOnly() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGALRM);
  return set;
}

}  // namespace

Deadline::Deadline(int socket, Clock::time_point end)
    : outer_(innermost),
      end_(outer_ != nullptr ? std::min(end, outer_->end_) : end),
      outerWatched_(watched) {
  innermost = this;
  if (outer_ == nullptr) {
    // The handler is in place before the signal is let through: one the
    // parent left pending arrives now, while nothing is watched.
    watched = -1;
    watchingNew = 0;
    struct sigaction alarm {};
    alarm.sa_handler = onAlarm;  // no SA_RESTART: blocking calls return EINTR
    sigemptyset(&alarm.sa_mask);
    ::sigaction(SIGALRM, &alarm, &savedAlarm_);
    const sigset_t alarms = alarmOnly();
    ::pthread_sigmask(SIG_UNBLOCK, &alarms, &savedMask_);
    ::getitimer(ITIMER_REAL, &savedTimer_);
  }
  watched = socket;
  arm();
}

Deadline::~Deadline() {
  innermost = outer_;
  watched = outerWatched_;
  if (outer_ != nullptr) {
    outer_->arm();
    return;
  }
  ::setitimer(ITIMER_REAL, &savedTimer_, nullptr);
  ::pthread_sigmask(SIG_SETMASK, &savedMask_, nullptr);
  ::sigaction(SIGALRM, &savedAlarm_, nullptr);
  watched = -1;
  watchingNew = 0;
}

void Deadline::arm() const {
  const auto micros =
      std::chrono::duration_cast<std::chrono::microseconds>(end_ - Clock::now()).count();
  const itimerval timer{timeval{0, kRepeatMicroseconds}, microseconds(micros > 0 ? micros : 1)};
  ::setitimer(ITIMER_REAL, &timer, nullptr);
}

void Deadline::watch(int socket) { watched = socket; }

void Deadline::watchNewSockets() {
  openBefore.reset();
  for (int fd = 0; fd < kTrackedDescriptors; ++fd)
    if (::fcntl(fd, F_GETFD) >= 0) openBefore.set(static_cast<std::size_t>(fd));
  watchingNew = 1;
}

int Deadline::remaining() const {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end_ - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace x11
