// The real program as a child process: started with a chosen folder,
// environment and output file, watched, and never left behind.
#ifndef TARVEXEL_TESTS_CHILD_PROCESS_H
#define TARVEXEL_TESTS_CHILD_PROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
 public:
  // What standard error is, when not `outputFile`: a descriptor of ours, or
  // none at all.
  static constexpr int kErrorToOutput = -1;
  static constexpr int kErrorClosed = -2;

  // Starts argv[0] (a path) in `folder`, with only `environment`, reading
  // from /dev/null and writing standard output, and standard error unless
  // told otherwise, to `outputFile`. It starts with no signal blocked and
  // every signal at its default, whatever the test runner left us with.
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
               const std::string& folder, const std::string& outputFile,
               int errorStream = kErrorToOutput);
  // Kills it if it is still running, and collects it.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Waits at most `seconds` for it to end; true when it has.
  bool waitFor(double seconds);
  // Its exit status once ended, or -1 when a signal ended it.
  int exitStatus() const { return exitStatus_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  int exitStatus_ = -1;
};

// What the kernel says of a running process: its state letter ('S' for
// sleeping, 'R' for running) and the processor time it has used.
struct ProcessState {
  char state;
  pid_t parent;
  double cpuSeconds;
};
ProcessState stateOf(pid_t pid);

// How many children of `parent` have ended without being collected.
int zombieChildrenOf(pid_t parent);

#endif
