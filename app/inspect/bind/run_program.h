// Running a desktop's own tool (swaymsg, openbox --reconfigure) and reading
// what it says, bounded in time as every wait is: a compositor that stops
// answering must not hang tarvexel-inspect.
#ifndef TARVEXEL_APP_INSPECT_BIND_RUN_PROGRAM_H
#define TARVEXEL_APP_INSPECT_BIND_RUN_PROGRAM_H

#include <string>
#include <vector>

struct ProgramRun {
  bool ended = false;  // it ran and ended in time, with `status`
  int status = -1;
  std::wstring output;  // its standard output and error, together
};

// Runs PROGRAM (found on PATH) with the arguments, for at most about five
// seconds; a program still running then is killed.
ProgramRun runProgram(const std::vector<std::wstring>& command);

#endif
