#include "platform/x11/xft.h"

#include "platform/x11/xlib.h"

namespace x11 {
namespace {

bool bindAll(void* library, Xft& x) {
  return bind(library, "XftFontOpenName", x.fontOpenName) &&
         bind(library, "XftFontClose", x.fontClose) &&
         bind(library, "XftTextExtentsUtf8", x.textExtentsUtf8) &&
         bind(library, "XftColorAllocValue", x.colorAllocValue) &&
         bind(library, "XftColorFree", x.colorFree) &&
         bind(library, "XftDrawCreate", x.drawCreate) &&
         bind(library, "XftDrawDestroy", x.drawDestroy) &&
         bind(library, "XftDrawRect", x.drawRect) &&
         bind(library, "XftDrawStringUtf8", x.drawStringUtf8);
}

}  // namespace

const Xft* xft() {
  static const Xft* const loaded = openLibrary("libXft.so.2", bindAll);
  return loaded;
}

}  // namespace x11
