// A private folder in which the real tarvexel binary runs on a profile
// written by the test, with recorder programs on its PATH.
#ifndef TARVEXEL_TESTS_E2E_SANDBOX_H
#define TARVEXEL_TESTS_E2E_SANDBOX_H

#include <string>
#include <vector>

// One line of the recorders' log.
struct Record {
  std::string event;  // "start" or "end"
  std::string name;
  long long milliseconds = 0;
  bool sessionLeader = false;
  std::string blockedSignals;  // as /proc/PID/status shows them
  std::string ignoredSignals;
  std::vector<std::string> arguments;
};

// What the launcher's standard error is.
enum class ErrorStream { kFile, kClosed, kBrokenPipe, kFullPipe };

// How the launcher is started.
struct Start {
  ErrorStream error = ErrorStream::kFile;
  // Started as a careless parent would: SIGTERM blocked, SIGPIPE, SIGHUP
  // and SIGCHLD ignored.
  bool carelessParent = false;
};

struct RunResult {
  int status = -1;
  // With standard output, which tarvexel never writes to; empty unless
  // standard error is the file.
  std::string standardError;
  long long startMilliseconds = 0;
  long long endMilliseconds = 0;
};

class Sandbox {
 public:
  // Recorders named a, b, c and xdg-open are on the PATH of every run, and
  // nothing else: what a test takes away is missing, whatever the machine
  // has installed.
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  const std::string& folder() const { return folder_; }
  std::string write(const std::string& name, const std::string& bytes) const;
  void removeFromPath(const std::string& name) const;

  // Runs tarvexel with these arguments (not through a shell), in the folder.
  RunResult run(const std::vector<std::string>& arguments, Start start = {}) const;
  RunResult runProfile(const std::string& profile, Start start = {}) const;

  std::vector<Record> records() const;
  // Waits up to `seconds` for `count` records to be there.
  std::vector<Record> waitForRecords(std::size_t count, int seconds = 5) const;

 private:
  std::string folder_;
};

long long monotonicMilliseconds();

#endif
