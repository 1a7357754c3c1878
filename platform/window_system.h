// Linux: the window services of one window system, as a run uses them. The
// desktop (platform/desktop.cpp) chooses one system per run and answers the
// window calls of platform/services.h through its table; each system keeps
// its own connection and reads the windows once, on the first search, for
// the whole run.
#ifndef TARVEXEL_PLATFORM_WINDOW_SYSTEM_H
#define TARVEXEL_PLATFORM_WINDOW_SYSTEM_H

#include <chrono>
#include <string>
#include <vector>

#include "platform/services.h"

struct WindowSystem {
  // Names the system and what it is connected to, for a person.
  std::wstring (*describe)();
  // The first window, in the system's search order, whose class and title
  // are those given (a null one matches any; the title compared as
  // `titleMatch` says); null when none is.
  HWND (*findWindow)(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch);
  // Of the windows findWindow would match, the one the user has gone
  // longest without: the lowest in the stacking order, or, where the
  // system has none, the one after the window in front in its list,
  // wrapping around. Null when none matches.
  HWND (*findLeastRecent)(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch);
  // The window that has the user's attention, or null.
  HWND (*foregroundWindow)();
  // Every window findWindow looks at, in its search order.
  std::vector<WindowDescription> (*listWindows)();
  // Requests only: the window or the compositor may still turn them down.
  void (*activate)(HWND window);
  void (*close)(HWND window);
  void (*minimize)(HWND window);
  // Why no window is in front, and what to do, where the system can tell;
  // empty otherwise. Null for a system that never can.
  std::wstring (*whyNoneInFront)();
  // Moves the window to the workspace the user is on and activates it.
  // Null where the system cannot move windows between workspaces.
  void (*bringHere)(HWND window) = nullptr;
  // Why this run cannot bring windows here, where that depends on the
  // session (an older GNOME extension); empty when it can. Null when
  // bringHere alone tells.
  std::wstring (*whyNotBroughtHere)() = nullptr;
};

// The window system is chosen within one deadline, set when the first
// system that the environment names is tried (each calls this before any
// work that can wait): each system tried connects, and the one chosen reads
// its windows, in the time the ones before it left. Whatever fails, the run
// goes on without a desktop within about a second. A run with no desktop at
// all never reads the clock.
std::chrono::steady_clock::time_point choosingEnds();

namespace x11 {
// Null when no X display is named or it cannot be reached.
const WindowSystem* windowSystem();
// The EWMH window manager's name; empty without one, or without a display.
std::wstring windowManagerName();
}  // namespace x11

namespace wayland {
// Null when no Wayland compositor is named, it cannot be reached or does
// not answer, or it offers no wlroots foreign-toplevel management.
const WindowSystem* wlroots();
// The same for KDE Plasma's window management, which KWin offers only to
// programs a desktop file declares.
const WindowSystem* kde();
}  // namespace wayland

namespace gnome {
// Null unless the session's shell answers through Tarvexel's own extension
// (platform/gnome/extension); asked only in a Wayland session.
const WindowSystem* windowSystem();
}  // namespace gnome

#endif
