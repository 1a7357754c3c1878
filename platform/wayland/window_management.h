// What the window systems of the compositors' window management protocols
// (wlroots.cpp, kde.cpp) share. Each protocol has a manager global whose
// binding brings the windows, and an object of its own for each window,
// which the protocol's code records, with the Toplevel it makes of it, as
// it likes (`Window`); they differ in how the windows come and what the
// requests are.
#ifndef TARVEXEL_PLATFORM_WAYLAND_WINDOW_MANAGEMENT_H
#define TARVEXEL_PLATFORM_WAYLAND_WINDOW_MANAGEMENT_H

#include <string>
#include <vector>

#include "platform/wayland/connection.h"
#include "platform/wayland/toplevels.h"
#include "platform/window_system.h"

namespace wayland {

// The handlers of the events every protocol sends about a window's names,
// for a listener whose data is the `Window`; named for an event, each takes
// that event's type, whatever the protocol's window object (`Object`).
template <typename Window, typename Object>
void onTitle(void* data, Object*, const char* title) {
  static_cast<Window*>(data)->toplevel.title = title;
}

template <typename Window, typename Object>
void onAppId(void* data, Object*, const char* appId) {
  static_cast<Window*>(data)->toplevel.appId = appId;
}

// The protocol's manager global, when the run has a compositor and it
// offers the protocol (`manager`); the snapshot then reads through the
// run's connection. Null otherwise.
inline const Global* managerGlobal(CompositorWindows& snapshot, const wl_interface& manager) {
  Connection* connection = wayland::connection();
  if (connection == nullptr) return nullptr;
  const Global* global = connection->global(manager.name);
  if (global != nullptr) snapshot.connection = connection;
  return global;
}

// The windows read, in the compositor's order, but those it no longer
// lists (`Window::listed()` says which it does).
template <typename Window>
Toplevels listedOf(const std::vector<const Window*>& windows) {
  std::vector<Toplevel> listed;
  for (const Window* window : windows) {
    if (window->listed()) listed.push_back(window->toplevel);
  }
  return Toplevels(listed);
}

// A protocol's window system: the searches answered from the snapshot
// `read` reads, the protocol's own description and requests, and how it
// brings a window to the user's workspace where it can (see WindowSystem).
// Null when reading failed.
template <bool (*read)(CompositorWindows&), std::wstring (*describe)(), void (*activate)(HWND),
          void (*close)(HWND), void (*minimize)(HWND)>
const WindowSystem* windowSystem(void (*bringHere)(HWND) = nullptr) {
  using Search = Searches<read>;
  static const WindowSystem system{describe, Search::find, Search::findLeastRecent,
                                   Search::front, Search::list, activate, close, minimize,
                                   nullptr, bringHere};
  return snapshot<read>() != nullptr ? &system : nullptr;
}

}  // namespace wayland

#endif
