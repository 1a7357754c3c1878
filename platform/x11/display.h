// The X11 desktop a run talks to: one connection, opened when a window
// service is first needed and closed when the program ends.
#ifndef TARVEXEL_PLATFORM_X11_DESKTOP_H
#define TARVEXEL_PLATFORM_X11_DESKTOP_H

#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/x11/library.h"

namespace x11 {

// The atoms Tarvexel uses, interned together in one round trip.
enum class Name {
  supportingWmCheck,
  supported,
  clientListStacking,
  clientList,
  activeWindow,
  closeWindow,
  netWmName,
  utf8String,
  compoundText,
  wmState,
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
  Atom atoms[static_cast<int>(Name::count)];
  // What a running EWMH window manager says it handles; empty without one.
  std::vector<Atom> supported;

  Atom atom(Name name) const { return atoms[static_cast<int>(name)]; }
  bool offers(Name feature) const;
};

// Null when there is no display: DISPLAY is unset or empty, libX11 is
// missing, or the display cannot be opened. libX11 is not even loaded
// unless DISPLAY names a display.
const Desktop* desktop();

// The first client window, topmost first, with the class and title given
// (null matches any); the search behind the run's FindWindowW.
HWND findWindow(LPCWSTR className, LPCWSTR windowName);
// Of the matching windows, the lowest in the stacking order.
HWND findLeastRecent(LPCWSTR className, LPCWSTR windowName);
// Every window findWindow looks at, in its order; `front` is marked.
std::vector<WindowDescription> listWindows(HWND front);

// A window handle is the X window id itself; 0 is no window.
inline HWND handleOf(Window window) { return reinterpret_cast<HWND>(window); }
inline Window windowOf(HWND handle) { return reinterpret_cast<Window>(handle); }

}  // namespace x11

#endif
