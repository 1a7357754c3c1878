// Standard error pointed at /dev/null for a while: libxcb and Xlib write why
// a display turned us away (a missing authorisation, say) to descriptor 2,
// and Tarvexel prints nothing but the notice.
#ifndef TARVEXEL_PLATFORM_POSIX_QUIET_STANDARD_ERROR_H
#define TARVEXEL_PLATFORM_POSIX_QUIET_STANDARD_ERROR_H

#include <fcntl.h>
#include <unistd.h>

namespace posix {

class QuietStandardError {
 public:
  QuietStandardError() : saved_(::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0)) {
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return;
    ::dup2(null, STDERR_FILENO);
    ::close(null);
  }
  ~QuietStandardError() {
    if (saved_ < 0) return;
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  const int saved_;
};

}  // namespace posix

#endif
