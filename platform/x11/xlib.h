// libX11, opened at run time (platform/posix/shared_library.h) when the
// notice box is shown; the window search uses libxcb instead.
#ifndef TARVEXEL_PLATFORM_X11_XLIB_H
#define TARVEXEL_PLATFORM_X11_XLIB_H

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/posix/shared_library.h"

// The Xlib calls Tarvexel makes.
#define TARVEXEL_XLIB_CALLS(CALL)               \
  CALL(openDisplay, XOpenDisplay)               \
  CALL(closeDisplay, XCloseDisplay)             \
  CALL(setErrorHandler, XSetErrorHandler)       \
  CALL(setIOErrorHandler, XSetIOErrorHandler)   \
  CALL(flush, XFlush)                           \
  CALL(free, XFree)                             \
  CALL(internAtoms, XInternAtoms)               \
  CALL(changeProperty, XChangeProperty)         \
  CALL(createSimpleWindow, XCreateSimpleWindow) \
  CALL(destroyWindow, XDestroyWindow)           \
  CALL(mapWindow, XMapWindow)                   \
  CALL(selectInput, XSelectInput)               \
  CALL(nextEvent, XNextEvent)                   \
  CALL(lookupKeysym, XLookupKeysym)             \
  CALL(setWMProtocols, XSetWMProtocols)         \
  CALL(setWMNormalHints, XSetWMNormalHints)     \
  CALL(setWMHints, XSetWMHints)

namespace x11 {

// xlib(): null when libX11 cannot be opened or lacks one of the calls.
TARVEXEL_LIBRARY(Xlib, xlib, "libX11.so.6", TARVEXEL_XLIB_CALLS)

}  // namespace x11

#endif
