// The POSIX start-up: the shell has split and unquoted the command line;
// joining the arguments with single blanks gives back the one string that
// Windows would have handed over.
#include <new>
#include <string>

#include "platform/services.h"
#include "platform/posix/standard_streams.h"
#include "platform/posix/utf8.h"

namespace {

// The status of a run that failed.
constexpr int kOutOfMemory = 1;

}  // namespace

int main(int argc, char** argv) {
  posix::openStandardStreams();
  posix::ignoreBrokenPipes();
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
