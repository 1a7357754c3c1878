// The X display the notice box is shown on, through Xlib (which Xft needs):
// a connection of its own, opened only when the notice is shown.
#ifndef TARVEXEL_PLATFORM_X11_DISPLAY_H
#define TARVEXEL_PLATFORM_X11_DISPLAY_H

#include "platform/x11/xlib.h"

namespace x11 {

// The atoms the box uses, interned together in one round trip.
enum class BoxName {
  netWmName,
  utf8String,
  wmProtocols,
  wmDeleteWindow,
  windowType,
  windowTypeDialog,
  count
};

struct Desktop {
  const Xlib& x;
  Display* display;
  Window root;
  Atom atoms[static_cast<int>(BoxName::count)];

  Atom atom(BoxName name) const { return atoms[static_cast<int>(name)]; }
};

// Null when there is no display: DISPLAY is unset or empty, libX11 is
// missing, or the display cannot be opened or does not answer in time.
//
// Once open, the server's end can never make the program print or fail:
// the box counts as dismissed. It is the last thing a run does, so the run
// ends there, with status 0, without going back into Xlib, which holds only
// a dead connection by then.
const Desktop* desktop();

}  // namespace x11

#endif
