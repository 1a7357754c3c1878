// The windows a Wayland compositor listed, as read once for the run, and
// how a search goes through them. Wayland gives no stacking order: the
// search takes the activated window first, then the others in the order
// the compositor listed them.
#ifndef TARVEXEL_PLATFORM_WAYLAND_TOPLEVELS_H
#define TARVEXEL_PLATFORM_WAYLAND_TOPLEVELS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/wayland/connection.h"
#include "platform/window_list.h"

namespace wayland {

// A window as the compositor describes it. Its app id and title are
// whatever bytes the program set: text that is not UTF-8 is carried
// through unchanged, never made equal to other text.
struct Toplevel {
  wl_proxy* object = nullptr;
  std::string appId;
  std::string title;
  bool activated = false;
  bool minimized = false;
  // An XWayland window's X11 instance name, where the compositor gives it
  // (KWin): a profile written on X11 may name the program so.
  std::string resourceName;
  // The compositor's own name for the window, the same from run to run
  // while the window lives (KWin's uuid or number); empty where the
  // protocol gives none (wlroots).
  std::string id;
};

class Toplevels {
 public:
  Toplevels() = default;
  // `listed` is in the compositor's order.
  explicit Toplevels(const std::vector<Toplevel>& listed);

  const WindowList& windows() const { return windows_; }
  // The compositor's object behind a handle, or null for a handle that is
  // not from this list.
  wl_proxy* objectOf(HWND handle) const;
  // Of the windows that match, the first after the activated one in the
  // compositor's order, coming round to the activated one last.
  HWND findLeastRecent(LPCWSTR className, LPCWSTR title,
                       TitleMatch titleMatch = TitleMatch::exact) const;

 private:
  WindowList windows_;
  // For each window of windows_, its object and its place in the
  // compositor's list.
  std::vector<wl_proxy*> objects_;
  std::vector<std::size_t> listedAt_;
};

// What a run knows of the compositor's windows, read once.
struct CompositorWindows {
  Connection* connection = nullptr;
  Toplevels toplevels;
  wl_proxy* seat = nullptr;  // where activation names one; null when there is none

  // Sends the request about the window behind a handle from the list.
  void request(HWND window, std::uint32_t opcode, std::vector<wl_argument> arguments = {}) const {
    wl_proxy* object = toplevels.objectOf(window);
    if (object != nullptr) connection->send(object, opcode, std::move(arguments));
  }
};

// The run's snapshot, read by `read` on the first call; null when reading
// failed (no compositor, or not one that offers the protocol).
template <bool (*read)(CompositorWindows&)>
const CompositorWindows* snapshot() {
  static CompositorWindows snapshot;
  static const bool ready = read(snapshot);
  return ready ? &snapshot : nullptr;
}

// The window system's searches, answered from that snapshot.
template <bool (*read)(CompositorWindows&)>
struct Searches {
  static const Toplevels& toplevels() { return snapshot<read>()->toplevels; }
  static HWND find(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
    return toplevels().windows().find(className, title, titleMatch);
  }
  static HWND findLeastRecent(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
    return toplevels().findLeastRecent(className, title, titleMatch);
  }
  static HWND front() { return toplevels().windows().front(); }
  static std::vector<WindowDescription> list() { return toplevels().windows().windows(); }
};

// Names the compositor for a person: the protocol and WAYLAND_DISPLAY.
std::wstring describe(const wchar_t* protocol);

}  // namespace wayland

#endif
