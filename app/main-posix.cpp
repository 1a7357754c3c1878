// The POSIX start-up: the shell has split and unquoted the command line;
// joining the arguments with single blanks gives back the one string that
// Windows would have handed over.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform/services.h"
#include "platform/posix/standard_streams.h"
#include "platform/posix/utf8.h"

namespace {

// The status of a run that failed.
constexpr int kOutOfMemory = 1;

const char kUsage[] =
    "Usage: tarvexel PROFILE\n"
    "Runs the section of PROFILE whose window rule fires first, or its [default]\n"
    "section, and ends: it prints nothing, and its exit status says whether a\n"
    "section ran (0) or not (1).\n"
    "To see what a profile would do: tarvexel-inspect explain PROFILE\n"
    "More in the manual pages tarvexel(1), tarvexel(5), tarvexel-inspect(1) and\n"
    "tarvexel-desktops(7).\n";

const char kVersion[] = "tarvexel " TARVEXEL_VERSION "\n";

// The two words a new user types first are answered, but only when no file
// of that name is there: a profile named --help still runs, as before.
const char* answerTo(int argc, char** argv) {
  if (argc != 2) return nullptr;
  const char* answer = std::strcmp(argv[1], "--help") == 0      ? kUsage
                       : std::strcmp(argv[1], "--version") == 0 ? kVersion
                                                                : nullptr;
  struct stat status;
  if (answer == nullptr || ::lstat(argv[1], &status) == 0 || errno != ENOENT) return nullptr;
  return answer;
}

}  // namespace

int main(int argc, char** argv) {
  posix::openStandardStreams();
  posix::ignoreBrokenPipes();
  if (const char* answer = answerTo(argc, argv)) {
    std::fputs(answer, stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  // Memory running out ends the run as a failure, quietly: without this the
  // C++ run-time would print why and end it with SIGABRT.
  try {
    std::string line;
    for (int i = 1; i < argc; ++i) {
      if (i > 1) line += ' ';
      line += argv[i];
    }
    std::wstring commandLine = utf8::widenLossless(line);
    return WinMain(nullptr, nullptr, commandLine.data(), 0);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
}
