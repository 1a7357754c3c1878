// A bound on how long Tarvexel waits for an X server. A display that
// accepts the connection and then never answers, a stopped server or one
// whose packets are dropped must cost a key press about a second, never a
// stuck process.
#ifndef TARVEXEL_PLATFORM_X11_DEADLINE_H
#define TARVEXEL_PLATFORM_X11_DEADLINE_H

#include <signal.h>
#include <sys/time.h>

#include <chrono>

namespace x11 {

// How long one exchange with the server may take: the connection and its
// set-up with the reading of the windows, or one later request.
constexpr std::chrono::milliseconds kAnswerTime{1000};

// While one lives, writing to a socket whose reader has gone fails with
// EPIPE instead of ending the program with SIGPIPE. Put back as it was at
// the end: programs started later inherit the disposition.
class BrokenPipeIgnored {
 public:
  BrokenPipeIgnored();
  ~BrokenPipeIgnored();
  BrokenPipeIgnored(const BrokenPipeIgnored&) = delete;
  BrokenPipeIgnored& operator=(const BrokenPipeIgnored&) = delete;

 private:
  struct sigaction saved_ {};
};

// While one lives, the X socket cannot block the program past the deadline.
// Our own waits poll with the time that remains; the waits inside the
// libraries (the set-up of a connection, a write to a server that reads
// nothing) are broken by a timer that shuts the socket down when the time
// is up, so that they fail as if the server had gone. The timer and the
// handler are put back as they were when it ends.
class Deadline {
 public:
  // `socket`: the connection's descriptor, or -1 while it is being made.
  explicit Deadline(int socket, std::chrono::milliseconds time = kAnswerTime);
  ~Deadline();
  Deadline(const Deadline&) = delete;
  Deadline& operator=(const Deadline&) = delete;

  // Names the connection's socket once it is made.
  void watch(int socket);
  // Names the descriptor the next socket will take: the lowest free one,
  // for a connection a library is about to make. Call it right before.
  void watchNextDescriptor();
  // Milliseconds left, 0 once the time is up.
  int remaining() const;

 private:
  const std::chrono::steady_clock::time_point end_;
  const BrokenPipeIgnored pipe_;
  struct sigaction savedAlarm_ {};
  itimerval savedTimer_{};
};

}  // namespace x11

#endif
