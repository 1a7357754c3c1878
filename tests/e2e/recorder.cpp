// A program for Tarvexel to start: it appends how it was started to the file
// named by RECORDER_LOG, one line at its start and one at its end:
//   start NAME MILLISECONDS LEADER BLOCKED IGNORED ARG...
//   end NAME MILLISECONDS
// fields separated by \x1f so that any argument text survives. NAME is the
// last part of argv[0]; LEADER is 1 when it runs in a session of its own;
// BLOCKED and IGNORED are the signal masks the kernel shows for it (SigBlk,
// SigIgn). An argument --sleep=N makes it live N milliseconds.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>

namespace {

long long nowMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void record(const std::string& line) {
  const char* path = std::getenv("RECORDER_LOG");
  if (path == nullptr) return;
  const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  const std::string text = line + "\n";
  if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
  close(fd);
}

// The hexadecimal mask of a "Sig...:" line of /proc/self/status.
std::string signalMask(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, field.size() + 1, field + ":") == 0) {
      return line.substr(line.find_first_not_of(" \t", field.size() + 1));
    }
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  const char* slash = std::strrchr(argv[0], '/');
  const std::string name = slash ? slash + 1 : argv[0];
  const char separator = '\x1f';
  std::string line = "start" + std::string(1, separator) + name + separator +
                     std::to_string(nowMilliseconds()) + separator +
                     (getsid(0) == getpid() ? "1" : "0") + separator + signalMask("SigBlk") +
                     separator + signalMask("SigIgn");
  long sleepMilliseconds = 0;
  for (int i = 1; i < argc; ++i) {
    line += separator;
    line += argv[i];
    if (std::strncmp(argv[i], "--sleep=", 8) == 0) sleepMilliseconds = std::atol(argv[i] + 8);
  }
  record(line);
  if (sleepMilliseconds > 0) usleep(static_cast<useconds_t>(sleepMilliseconds) * 1000);
  record("end" + std::string(1, separator) + name + separator + std::to_string(nowMilliseconds()));
  return 0;
}
