#include "platform/x11/xlib.h"

namespace x11 {
namespace {

bool bindAll(void* library, Xlib& x) {
  return bind(library, "XOpenDisplay", x.openDisplay) &&
         bind(library, "XCloseDisplay", x.closeDisplay) &&
         bind(library, "XSetErrorHandler", x.setErrorHandler) &&
         bind(library, "XSetIOErrorHandler", x.setIOErrorHandler) &&
         bind(library, "XFlush", x.flush) && bind(library, "XFree", x.free) &&
         bind(library, "XInternAtoms", x.internAtoms) &&
         bind(library, "XChangeProperty", x.changeProperty) &&
         bind(library, "XCreateSimpleWindow", x.createSimpleWindow) &&
         bind(library, "XDestroyWindow", x.destroyWindow) &&
         bind(library, "XMapWindow", x.mapWindow) && bind(library, "XSelectInput", x.selectInput) &&
         bind(library, "XNextEvent", x.nextEvent) &&
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
