// libX11, opened at run time (platform/posix/shared_library.h) when the
// notice box is shown; the window search uses libxcb instead.
#ifndef TARVEXEL_PLATFORM_X11_XLIB_H
#define TARVEXEL_PLATFORM_X11_XLIB_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/posix/shared_library.h"

namespace x11 {

// The Xlib calls Tarvexel makes, each looked up by its name.
struct Xlib {
  decltype(&::XOpenDisplay) openDisplay = nullptr;
  decltype(&::XCloseDisplay) closeDisplay = nullptr;
  decltype(&::XSetErrorHandler) setErrorHandler = nullptr;
  decltype(&::XSetIOErrorHandler) setIOErrorHandler = nullptr;
  decltype(&::XFlush) flush = nullptr;
  decltype(&::XFree) free = nullptr;
  decltype(&::XInternAtoms) internAtoms = nullptr;
  decltype(&::XChangeProperty) changeProperty = nullptr;
  decltype(&::XCreateSimpleWindow) createSimpleWindow = nullptr;
  decltype(&::XDestroyWindow) destroyWindow = nullptr;
  decltype(&::XMapWindow) mapWindow = nullptr;
  decltype(&::XSelectInput) selectInput = nullptr;
  decltype(&::XNextEvent) nextEvent = nullptr;
  decltype(&::XLookupKeysym) lookupKeysym = nullptr;
  decltype(&::XSetWMProtocols) setWMProtocols = nullptr;
  decltype(&::XSetWMNormalHints) setWMNormalHints = nullptr;
  decltype(&::XSetWMHints) setWMHints = nullptr;
};

// Null when libX11 cannot be opened or lacks one of the calls.
const Xlib* xlib();

using posix::bind;
using posix::openLibrary;

}  // namespace x11

#endif
