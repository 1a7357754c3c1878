// Counting the round trips an X client makes, from outside the client: a
// go-between on a display socket of its own holds every answer of the
// server for a fixed time before passing it on. A client that waits for an
// answer waits that much longer, once per round trip however many requests
// it sent before waiting; so the time a run gains, divided by the hold, is
// the number of times it waited. Nothing in the client is counted or
// changed.
#ifndef TARVEXEL_BENCH_ROUND_TRIPS_H
#define TARVEXEL_BENCH_ROUND_TRIPS_H

#include <atomic>
#include <string>
#include <thread>

class DelayingDisplay {
 public:
  // Listens on a free display number and passes each connection on to the
  // server of `display` (":N", a local one).
  explicit DelayingDisplay(const std::string& display);
  ~DelayingDisplay();
  DelayingDisplay(const DelayingDisplay&) = delete;
  DelayingDisplay& operator=(const DelayingDisplay&) = delete;

  // ":M", or empty when no socket could be made.
  const std::string& name() const { return name_; }
  // How long answers are held from now on.
  void hold(int milliseconds) { holdMs_ = milliseconds; }

 private:
  void serve();
  void relay(int client);

  std::string upstream_;
  std::string name_;
  int listener_ = -1;
  std::atomic<int> holdMs_{0};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

#endif
