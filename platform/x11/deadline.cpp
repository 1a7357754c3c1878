#include "platform/x11/deadline.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace x11 {
namespace {

// After the deadline the timer keeps firing, so that a library that retries
// an interrupted call (a connect to the next address, a poll) is stopped
// again.
constexpr suseconds_t kRepeatMicroseconds = 20 * 1000;

// What the signal handler shuts down: a signal handler can be handed
// nothing else, and only one deadline runs at a time.
volatile sig_atomic_t watched = -1;

void shutDown(int fd) {
  struct stat status;
  if (::fstat(fd, &status) == 0 && S_ISSOCK(status.st_mode)) ::shutdown(fd, SHUT_RDWR);
}

void onAlarm(int) {
  const int saved = errno;
  if (watched >= 0) shutDown(watched);
  errno = saved;
}

timeval microseconds(long long count) {
  return timeval{static_cast<time_t>(count / 1000000), static_cast<suseconds_t>(count % 1000000)};
}

}  // namespace

BrokenPipeIgnored::BrokenPipeIgnored() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, &saved_);
}

BrokenPipeIgnored::~BrokenPipeIgnored() { ::sigaction(SIGPIPE, &saved_, nullptr); }

Deadline::Deadline(int socket, std::chrono::milliseconds time)
    : end_(std::chrono::steady_clock::now() + time) {
  watched = socket;
  struct sigaction alarm {};
  alarm.sa_handler = onAlarm;  // no SA_RESTART: blocking calls return EINTR
  sigemptyset(&alarm.sa_mask);
  ::sigaction(SIGALRM, &alarm, &savedAlarm_);
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(time).count();
  const itimerval timer{timeval{0, kRepeatMicroseconds}, microseconds(micros > 0 ? micros : 1)};
  ::setitimer(ITIMER_REAL, &timer, &savedTimer_);
}

Deadline::~Deadline() {
  ::setitimer(ITIMER_REAL, &savedTimer_, nullptr);
  ::sigaction(SIGALRM, &savedAlarm_, nullptr);
  watched = -1;
}

void Deadline::watch(int socket) { watched = socket; }

// A new descriptor always takes the lowest free number, and the program
// has one thread: nothing else opens one in between.
void Deadline::watchNextDescriptor() {
  const int next = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
  if (next >= 0) ::close(next);
  watched = next;
}

int Deadline::remaining() const {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      end_ - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace x11
