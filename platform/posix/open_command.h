// What "Open" means on a POSIX desktop, decided in one place for the launch
// (platform/posix/process.cpp) and for the companion program's explanation.
#ifndef TARVEXEL_PLATFORM_POSIX_OPEN_COMMAND_H
#define TARVEXEL_PLATFORM_POSIX_OPEN_COMMAND_H

#include <string>
#include <vector>

namespace posix {

struct OpenCommand {
  enum class Kind { program, opener, none };
  Kind kind = Kind::none;
  // The path to run, then the argument vector from its name on; empty for none.
  std::vector<std::string> command;
  std::string reason;  // none: why
};

// A file that names an executable program (a path with "/", or a name found
// on PATH) starts with its parameters split into words; any other existing
// file, a folder or a URL goes to xdg-open; anything else starts nothing.
OpenCommand openCommand(const std::string& file, const std::string& parameters);

}  // namespace posix

#endif
