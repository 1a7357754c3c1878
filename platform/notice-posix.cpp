#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/services.h"
#include "platform/utf8.h"

// Without a desktop the notice goes to standard error, in UTF-8 whatever the
// locale, so the Japanese text arrives intact.
int MessageBoxW(HWND, LPCWSTR text, LPCWSTR, UINT) {
  const std::string bytes = utf8::narrow(text) + "\n";
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t got = ::write(STDERR_FILENO, bytes.data() + written, bytes.size() - written);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    written += static_cast<std::size_t>(got);
  }
  return 1;  // IDOK
}
