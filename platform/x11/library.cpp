#include "platform/x11/library.h"

namespace x11 {
namespace {

bool bindAll(void* library, Xlib& x) {
  return bind(library, "XOpenDisplay", x.openDisplay) &&
         bind(library, "XCloseDisplay", x.closeDisplay) &&
         bind(library, "XSetErrorHandler", x.setErrorHandler) && bind(library, "XFlush", x.flush) &&
         bind(library, "XFree", x.free) && bind(library, "XInternAtoms", x.internAtoms) &&
         bind(library, "XGetWindowProperty", x.getWindowProperty) &&
         bind(library, "XChangeProperty", x.changeProperty) &&
         bind(library, "XQueryTree", x.queryTree) &&
         bind(library, "XGetWindowAttributes", x.getWindowAttributes) &&
         bind(library, "XGetInputFocus", x.getInputFocus) &&
         bind(library, "XSetInputFocus", x.setInputFocus) &&
         bind(library, "XRaiseWindow", x.raiseWindow) && bind(library, "XSendEvent", x.sendEvent) &&
         bind(library, "XCreateSimpleWindow", x.createSimpleWindow) &&
         bind(library, "XDestroyWindow", x.destroyWindow) &&
         bind(library, "XMapWindow", x.mapWindow) && bind(library, "XSelectInput", x.selectInput) &&
         bind(library, "XWindowEvent", x.windowEvent) && bind(library, "XNextEvent", x.nextEvent) &&
         bind(library, "XLookupKeysym", x.lookupKeysym) &&
         bind(library, "XSetWMProtocols", x.setWMProtocols) &&
         bind(library, "XSetWMNormalHints", x.setWMNormalHints) &&
         bind(library, "XSetWMHints", x.setWMHints);
}

}  // namespace

const Xlib* xlib() {
  static const Xlib* const loaded = openLibrary("libX11.so.6", bindAll);
  return loaded;
}

}  // namespace x11
