#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/services.h"
#include "platform/utf8.h"
#include "platform/x11-dialog.h"

// The notice goes to standard error, in UTF-8 whatever the locale so that
// the Japanese text arrives intact, and then, where there is a desktop, into
// a box that stays until it is dismissed.
int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
  const std::string bytes = utf8::narrow(text) + "\n";
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t got = ::write(STDERR_FILENO, bytes.data() + written, bytes.size() - written);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    written += static_cast<std::size_t>(got);
  }
  x11::showDialog(text, caption);
  return 1;  // IDOK
}
