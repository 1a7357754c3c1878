// tarvexel-inspect's command line: windows, front, explain, --help and
// --version.
#ifndef TARVEXEL_APP_INSPECT_COMMANDS_H
#define TARVEXEL_APP_INSPECT_COMMANDS_H

#include <functional>
#include <string>
#include <vector>

// Where the program's text goes: the report to standard output, the
// countdown and usage errors to standard error.
struct Console {
  std::function<void(const std::wstring&)> out;
  std::function<void(const std::wstring&)> err;
};

constexpr int kUsageError = 2;

// Runs the command the arguments (after the program's name) give; returns
// the exit status.
int runInspect(const std::vector<std::wstring>& arguments, const Console& console);

#endif
