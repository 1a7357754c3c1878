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

// How many children of `parent` there are, ended or not.
int childrenOf(pid_t parent);

// While it lives, this process takes in the descendants of its children
// that outlive their parents, so that a test can wait for everything a run
// started, however deep, before it looks at what none of it did.
class Descendants {
 public:
  Descendants();
  ~Descendants();
  Descendants(const Descendants&) = delete;
  Descendants& operator=(const Descendants&) = delete;

  // Collects every child of this process as it ends, for at most
  // `seconds`; true once none is left. Call it once the ChildProcess
  // objects have collected their own.
  bool waitForAll(double seconds);
};

#endif
