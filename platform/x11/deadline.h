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

using Clock = std::chrono::steady_clock;

// How long one exchange with the server may take: the connection and its
// set-up with the reading of the windows, or one later request.
constexpr std::chrono::milliseconds kAnswerTime{1000};

// While one lives, the X socket cannot block the program past the deadline.
// Our own waits poll with the time that remains; the waits inside the
// libraries (the set-up of a connection, a write to a server that reads
// nothing) are broken by a timer that shuts the socket down when the time
// is up, so that they fail as if the server had gone. The timer's signal is
// taken in whatever mask and disposition the program was started with, and
// the timer, the handler and the mask are put back as they were when it
// ends.
//
// Deadlines nest: an inner one ends no later than the one around it, and
// hands the timer and the watched socket back to it when it goes.
class Deadline {
 public:
  // `socket`: the connection's descriptor, or -1 while it is being made.
  Deadline(int socket, Clock::time_point end);
  explicit Deadline(int socket, std::chrono::milliseconds time = kAnswerTime)
      : Deadline(socket, Clock::now() + time) {}
  ~Deadline();
  Deadline(const Deadline&) = delete;
  Deadline& operator=(const Deadline&) = delete;

  // Names the connection's socket once it is made.
  void watch(int socket);
  // For a library that makes its connection itself: when the time is up,
  // every socket opened since this call is shut down.
  void watchNewSockets();
  // Milliseconds left, 0 once the time is up.
  int remaining() const;
  Clock::time_point end() const { return end_; }

 private:
  void arm() const;

  Deadline* const outer_;
  const Clock::time_point end_;
  const int outerWatched_;
  struct sigaction savedAlarm_ {};
  sigset_t savedMask_{};
  itimerval savedTimer_{};
};

}  // namespace x11

#endif
