#include "platform/x11/display.h"

#include <unistd.h>

#include <cstdlib>
#include <optional>

#include "platform/posix/quiet_standard_error.h"
#include "platform/x11/deadline.h"

namespace x11 {
namespace {

// In the order of BoxName.
const char* const kAtomNames[] = {
    "_NET_WM_NAME",     "UTF8_STRING",         "WM_PROTOCOLS",
    "WM_DELETE_WINDOW", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG",
};
static_assert(sizeof kAtomNames / sizeof kAtomNames[0] == static_cast<int>(BoxName::count),
              "one name for every atom");

// A request about a window that has gone away in the meantime fails with an
// error; Xlib's own handler would print it and exit.
int ignoreError(Display*, XErrorEvent*) { return 0; }

// The server has gone: see desktop().
int serverGone(Display*) { ::_exit(0); }

class NoticeDisplay {
 public:
  NoticeDisplay() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return;
    const Xlib* x = xlib();
    if (x == nullptr) return;
    x->setIOErrorHandler(serverGone);
    x->setErrorHandler(ignoreError);
    Deadline deadline(-1);
    Display* display = openQuietly(*x, deadline);
    if (display == nullptr) return;
    Desktop& desktop = desktop_.emplace(Desktop{*x, display, DefaultRootWindow(display), {}});
    x->internAtoms(display, const_cast<char**>(kAtomNames), static_cast<int>(BoxName::count), False,
                   desktop.atoms);
  }

  // Closing waits until the server has taken every request.
  ~NoticeDisplay() {
    if (desktop_) desktop_->x.closeDisplay(desktop_->display);
  }

  NoticeDisplay(const NoticeDisplay&) = delete;
  NoticeDisplay& operator=(const NoticeDisplay&) = delete;

  const Desktop* desktop() const { return desktop_ ? &*desktop_ : nullptr; }

 private:
  static Display* openQuietly(const Xlib& x, Deadline& deadline) {
    const posix::QuietStandardError quiet;
    deadline.watchNewSockets();
    return x.openDisplay(nullptr);
  }

  std::optional<Desktop> desktop_;
};

}  // namespace

const Desktop* desktop() {
  static const NoticeDisplay session;
  return session.desktop();
}

}  // namespace x11
