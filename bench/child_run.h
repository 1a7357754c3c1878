// Starting a program and timing it to its end, the way a key press starts
// Tarvexel: spawn, wait, clock. Shared by the benchmark programs.
#ifndef TARVEXEL_BENCH_CHILD_RUN_H
#define TARVEXEL_BENCH_CHILD_RUN_H

#include <string>
#include <vector>

struct ChildRun {
  double milliseconds;  // from spawn to the end of the wait
  int status;           // exit status, or -1 when it did not exit normally
};

// A program with its arguments and environment, prepared once so that
// timing a run covers only starting it and waiting for it.
class Command {
 public:
  // `program` is found on PATH when it holds no "/".
  Command(const std::string& program, std::vector<std::string> arguments,
          std::vector<std::string> environment);

  // Runs it with its standard streams on /dev/null.
  ChildRun run() const;

  // Runs it once more and returns the peak resident memory of the program
  // itself (VmHWM, read as it exits), or -1 when tracing is not allowed.
  // The rusage figure of wait4 will not do: a child started by vfork or
  // posix_spawn is charged with its parent's resident memory until it
  // execs, so it can never read below the benchmark's own.
  long peakResidentKiB() const;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::vector<std::string> arguments_;
  std::vector<std::string> environment_;
  std::vector<char*> argv_;
  std::vector<char*> envp_;
};

// A program the benchmark keeps running while it measures (a display
// server, a window manager, a client with windows); stopped with SIGTERM
// and collected when it goes.
class BackgroundProcess {
 public:
  // Its standard streams go to /dev/null, except that `passFd`, if given,
  // becomes its descriptor 3.
  BackgroundProcess(const std::string& program, std::vector<std::string> arguments,
                    std::vector<std::string> environment, int passFd = -1);
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

 private:
  int pid_ = -1;
};

// This process's environment, less the variables named.
std::vector<std::string> environmentWithout(const std::vector<std::string>& names);

double median(std::vector<double> values);

// A private folder under the temporary folder, removed with its files.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Writes `bytes` to a file of that name in the folder; returns its path.
  std::string write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

#endif
