// libXft, for drawing the notice's Japanese text with a font that has it.
// Opened, like libX11, only when the notice is shown on a desktop.
#ifndef TARVEXEL_PLATFORM_X11_XFT_H
#define TARVEXEL_PLATFORM_X11_XFT_H

#include <X11/Xft/Xft.h>

#include "platform/posix/shared_library.h"

// The Xft calls Tarvexel makes.
#define TARVEXEL_XFT_CALLS(CALL)            \
  CALL(fontOpenName, XftFontOpenName)       \
  CALL(fontClose, XftFontClose)             \
  CALL(textExtentsUtf8, XftTextExtentsUtf8) \
  CALL(colorAllocValue, XftColorAllocValue) \
  CALL(colorFree, XftColorFree)             \
  CALL(drawCreate, XftDrawCreate)           \
  CALL(drawDestroy, XftDrawDestroy)         \
  CALL(drawRect, XftDrawRect)               \
  CALL(drawStringUtf8, XftDrawStringUtf8)

namespace x11 {

// xft(): null when libXft cannot be opened or lacks one of the calls; it
// then stays loaded, as libX11 does.
TARVEXEL_LIBRARY(Xft, xft, "libXft.so.2", TARVEXEL_XFT_CALLS)

}  // namespace x11

#endif
