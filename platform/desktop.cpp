// Linux: the window calls of platform/services.h, answered by the window
// system chosen for the run, and the notice.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/utf8.h"
#include "platform/services.h"
#include "platform/window_system.h"
#include "platform/x11/dialog.h"

namespace {

// Chosen on the first window call, and kept for the run: a rule and the
// section it runs must speak of the same windows.
const WindowSystem* windowSystem() {
  static const WindowSystem* const chosen = x11::windowSystem();
  return chosen;
}

// How long the notice waits for room in standard error: a pipe that nobody
// empties must not hold the run up for ever.
constexpr int kRoomWaitMilliseconds = 1000;

// A write to a pipe whose reader has gone raises SIGPIPE, which would end
// the run with status 141. It is held back for the write, and taken out of
// the pending set again if the write raised it, so that nothing of it
// outlives the write: not the mask, and not a pending signal.
class PipeSignalHeld {
 public:
  PipeSignalHeld() {
    sigemptyset(&pipeSignal_);
    sigaddset(&pipeSignal_, SIGPIPE);
    wasPending_ = pending();
    pthread_sigmask(SIG_BLOCK, &pipeSignal_, &previous_);
  }
  ~PipeSignalHeld() {
    if (!wasPending_ && pending()) {
      const timespec none{};
      sigtimedwait(&pipeSignal_, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  PipeSignalHeld(const PipeSignalHeld&) = delete;
  PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

 private:
  static bool pending() {
    sigset_t set;
    return sigpending(&set) == 0 && sigismember(&set, SIGPIPE) == 1;
  }

  sigset_t pipeSignal_;
  sigset_t previous_;
  bool wasPending_ = false;
};

// Writes what fits; gives up on a closed or broken stream, and on one that
// has had no room for kRoomWaitMilliseconds. The notice is shorter than
// PIPE_BUF, so once poll() reports room a pipe takes it whole, at once.
void writeToStandardError(const std::string& bytes) {
  const PipeSignalHeld held;
  std::size_t written = 0;
  while (written < bytes.size()) {
    pollfd stream{STDERR_FILENO, POLLOUT, 0};
    const int ready = ::poll(&stream, 1, kRoomWaitMilliseconds);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || (stream.revents & POLLOUT) == 0) return;
    const ssize_t got = ::write(STDERR_FILENO, bytes.data() + written, bytes.size() - written);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    written += static_cast<std::size_t>(got);
  }
}

}  // namespace

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  const WindowSystem* system = windowSystem();
  return system ? system->findWindow(className, windowName) : nullptr;
}

HWND GetForegroundWindow() {
  const WindowSystem* system = windowSystem();
  return system ? system->foregroundWindow() : nullptr;
}

BOOL SetForegroundWindow(HWND window) {
  const WindowSystem* system = windowSystem();
  if (system == nullptr || window == nullptr) return 0;
  system->activate(window);
  return 1;
}

// Only a close request: a window may turn it down, and is never killed.
LRESULT SendMessageW(HWND window, UINT message, WPARAM, LPARAM) {
  const WindowSystem* system = windowSystem();
  if (system != nullptr && window != nullptr && message == WM_CLOSE) system->close(window);
  return 0;
}

// The notice goes to standard error, in UTF-8 whatever the locale so that
// the Japanese text arrives intact, and then, where there is a desktop, into
// a box that stays until it is dismissed. Whatever standard error is, the
// run ends as a shown notice does.
int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT) {
  writeToStandardError(utf8::narrow(text) + "\n");
  x11::showDialog(text, caption);
  return 1;  // IDOK
}
