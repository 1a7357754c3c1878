// A desktop's own tool (gsettings, swaymsg, openbox --reconfigure), run as
// the user would run it, and what it wrote.
#ifndef TARVEXEL_APP_INSPECT_BIND_PROGRAM_OUTPUT_H
#define TARVEXEL_APP_INSPECT_BIND_PROGRAM_OUTPUT_H

#include <string>
#include <vector>

struct ProgramOutput {
  bool succeeded = false;  // started, ended by itself in time, with status 0
  std::string out;         // its standard output
  std::string err;         // its standard error, or why it could not run
};

// Runs `command` (its first word found on PATH) with standard input empty,
// and waits for it to end, at most ten seconds: a desktop whose settings
// service hangs must not hang the command line with it.
ProgramOutput runProgram(const std::vector<std::string>& command);

// The same for a command in wide text; one with a word that cannot reach
// the system unchanged runs nothing.
ProgramOutput runProgram(const std::vector<std::wstring>& command);

// What it wrote, standard output then standard error, for a person.
std::wstring saidBy(const ProgramOutput& run);

#endif
