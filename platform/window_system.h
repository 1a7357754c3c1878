// Linux: the window services of one window system, as a run uses them. The
// desktop (platform/desktop.cpp) chooses one system per run and answers the
// window calls of platform/services.h through its table; each system keeps
// its own connection and its own reading of the windows.
#ifndef TARVEXEL_PLATFORM_WINDOW_SYSTEM_H
#define TARVEXEL_PLATFORM_WINDOW_SYSTEM_H

#include "platform/services.h"

struct WindowSystem {
  // The first window, in the system's search order, whose class and title
  // are those given (a null one matches any); null when none is.
  HWND (*findWindow)(LPCWSTR className, LPCWSTR title);
  // The window that has the user's attention, or null.
  HWND (*foregroundWindow)();
  // Requests only: the window may still turn them down.
  void (*activate)(HWND window);
  void (*close)(HWND window);
};

namespace x11 {
// Null when no X display is named or it cannot be reached.
const WindowSystem* windowSystem();
}  // namespace x11

#endif
