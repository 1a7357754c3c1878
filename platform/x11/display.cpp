#include "platform/x11/display.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "platform/x11/property.h"

namespace x11 {
namespace {

// In the order of Name.
const char* const kAtomNames[] = {
    "_NET_SUPPORTING_WM_CHECK",
    "_NET_SUPPORTED",
    "_NET_CLIENT_LIST_STACKING",
    "_NET_CLIENT_LIST",
    "_NET_ACTIVE_WINDOW",
    "_NET_CLOSE_WINDOW",
    "_NET_WM_NAME",
    "UTF8_STRING",
    "COMPOUND_TEXT",
    "WM_STATE",
    "WM_PROTOCOLS",
    "WM_DELETE_WINDOW",
    "WM_CHANGE_STATE",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_DIALOG",
};
static_assert(sizeof kAtomNames / sizeof kAtomNames[0] == static_cast<int>(Name::count),
              "one name for every atom");

// A request about a window that has gone away in the meantime fails with an
// error; that is no reason to end the run, and Xlib's own handler would
// print it and exit. Every failure here counts as "no window" or is ignored.
int ignoreError(Display*, XErrorEvent*) { return 0; }

// An EWMH window manager names a check window on the root, and the check
// window names itself; a name left behind by a window manager that has
// ended fails the second test.
bool windowManagerRuns(const Desktop& desktop) {
  const Atom check = desktop.atom(Name::supportingWmCheck);
  const Window named = windowProperty(desktop, desktop.root, check);
  return named != None && windowProperty(desktop, named, check) == named;
}

// Xlib prints why a display turned us away (a missing authorisation, say),
// and Tarvexel prints nothing: standard error points to /dev/null while
// this lives.
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

Display* openQuietly(const Xlib& x) {
  const QuietStandardError quiet;
  return x.openDisplay(nullptr);
}

class Session {
 public:
  Session() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') return;
    const Xlib* x = xlib();
    if (x == nullptr) return;
    Display* display = openQuietly(*x);
    if (display == nullptr) return;
    x->setErrorHandler(ignoreError);
    Desktop& desktop = desktop_.emplace(Desktop{*x, display, DefaultRootWindow(display), {}, {}});
    x->internAtoms(display, const_cast<char**>(kAtomNames), static_cast<int>(Name::count), False,
                   desktop.atoms);
    if (windowManagerRuns(desktop)) {
      desktop.supported = readProperty(desktop, desktop.root, desktop.atom(Name::supported)).items;
    }
  }

  // Closing waits until the server has taken every request, so a close or
  // activation asked for just before the end is not lost.
  ~Session() {
    if (desktop_) desktop_->x.closeDisplay(desktop_->display);
  }

  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const Desktop* desktop() const { return desktop_ ? &*desktop_ : nullptr; }

 private:
  std::optional<Desktop> desktop_;
};

}  // namespace

bool Desktop::offers(Name feature) const {
  return std::find(supported.begin(), supported.end(), atom(feature)) != supported.end();
}

const Desktop* desktop() {
  static const Session session;
  return session.desktop();
}

}  // namespace x11
