// libXft, for drawing the notice's Japanese text with a font that has it.
// Opened, like libX11, only when the notice is shown on a desktop.
#ifndef TARVEXEL_PLATFORM_X11_XFT_H
#define TARVEXEL_PLATFORM_X11_XFT_H

#include <X11/Xft/Xft.h>

namespace x11 {

struct Xft {
  decltype(&::XftFontOpenName) fontOpenName = nullptr;
  decltype(&::XftFontClose) fontClose = nullptr;
  decltype(&::XftTextExtentsUtf8) textExtentsUtf8 = nullptr;
  decltype(&::XftColorAllocValue) colorAllocValue = nullptr;
  decltype(&::XftColorFree) colorFree = nullptr;
  decltype(&::XftDrawCreate) drawCreate = nullptr;
  decltype(&::XftDrawDestroy) drawDestroy = nullptr;
  decltype(&::XftDrawRect) drawRect = nullptr;
  decltype(&::XftDrawStringUtf8) drawStringUtf8 = nullptr;
};

// Null when libXft cannot be opened or lacks one of the calls; it then
// stays loaded, as libX11 does.
const Xft* xft();

}  // namespace x11

#endif
