// libX11 and libXft are opened when a desktop is first needed instead of
// being linked: a run without a display never maps them, so starting from a
// terminal, a script or a headless session costs what it did before there
// were windows. Only their headers are needed to build.
#ifndef TARVEXEL_PLATFORM_X11_LIBRARY_H
#define TARVEXEL_PLATFORM_X11_LIBRARY_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

namespace x11 {

// The Xlib calls Tarvexel makes, each looked up by its name.
struct Xlib {
  decltype(&::XOpenDisplay) openDisplay = nullptr;
  decltype(&::XCloseDisplay) closeDisplay = nullptr;
  decltype(&::XSetErrorHandler) setErrorHandler = nullptr;
  decltype(&::XFlush) flush = nullptr;
  decltype(&::XFree) free = nullptr;
  decltype(&::XInternAtoms) internAtoms = nullptr;
  decltype(&::XGetWindowProperty) getWindowProperty = nullptr;
  decltype(&::XChangeProperty) changeProperty = nullptr;
  decltype(&::XQueryTree) queryTree = nullptr;
  decltype(&::XGetWindowAttributes) getWindowAttributes = nullptr;
  decltype(&::XGetInputFocus) getInputFocus = nullptr;
  decltype(&::XSetInputFocus) setInputFocus = nullptr;
  decltype(&::XRaiseWindow) raiseWindow = nullptr;
  decltype(&::XSendEvent) sendEvent = nullptr;
  decltype(&::XCreateSimpleWindow) createSimpleWindow = nullptr;
  decltype(&::XDestroyWindow) destroyWindow = nullptr;
  decltype(&::XMapWindow) mapWindow = nullptr;
  decltype(&::XSelectInput) selectInput = nullptr;
  decltype(&::XWindowEvent) windowEvent = nullptr;
  decltype(&::XNextEvent) nextEvent = nullptr;
  decltype(&::XLookupKeysym) lookupKeysym = nullptr;
  decltype(&::XSetWMProtocols) setWMProtocols = nullptr;
  decltype(&::XSetWMNormalHints) setWMNormalHints = nullptr;
  decltype(&::XSetWMHints) setWMHints = nullptr;
};

// Null when libX11 cannot be opened or lacks one of the calls. The library
// stays loaded until the process ends: libXft hooks the closing of a
// display, so nothing may be unloaded before the last connection is closed.
const Xlib* xlib();

// Looks `name` up in `library` into `slot`; false when it is missing.
template <typename Function>
bool bind(void* library, const char* name, Function*& slot) {
  slot = reinterpret_cast<Function*>(::dlsym(library, name));
  return slot != nullptr;
}

// Opens the library `soname` once and binds the calls `bindAll` names into
// one table; null when the library or one of its calls is missing.
template <typename Calls>
const Calls* openLibrary(const char* soname, bool (*bindAll)(void* library, Calls& calls)) {
  static Calls calls;
  void* library = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
  return bindAll(library, calls) ? &calls : nullptr;
}

}  // namespace x11

#endif
