// What the desktop tests' window listings share (kde_windows.cpp,
// wlr_windows.cpp): a window as a compositor's window management describes
// it to other programs, the handlers of the events both protocols send, the
// line each prints of a window, and the connection they read through. Each
// program brings its own protocol's code, so these are templates over the
// protocol's window object.
#ifndef TARVEXEL_TESTS_DESKTOP_LISTED_WINDOWS_H
#define TARVEXEL_TESTS_DESKTOP_LISTED_WINDOWS_H

#include <wayland-client.h>

#include <cstdint>
#include <string>

template <typename Object>
struct ListedWindow {
  Object* object = nullptr;
  std::uint32_t pid = 0;  // where the protocol gives it (KWin's does)
  std::string appId;
  std::string title;
  bool active = false;
  bool minimized = false;
  bool gone = false;  // unmapped or closed: no longer listed

  static ListedWindow& of(void* data) { return *static_cast<ListedWindow*>(data); }
  static void onTitle(void* data, Object*, const char* title) { of(data).title = title; }
  static void onAppId(void* data, Object*, const char* appId) { of(data).appId = appId; }
  static void onGone(void* data, Object*) { of(data).gone = true; }
  // The events the listings have no use for, whatever they carry.
  template <typename... Arguments>
  static void ignore(void*, Object*, Arguments...) {}

  // STATES<TAB>APP_ID<TAB>TITLE. STATES: "active", "minimized" or both,
  // comma-separated, or "-".
  std::string line() const {
    std::string states;
    if (active) states += ",active";
    if (minimized) states += ",minimized";
    return (states.empty() ? "-" : states.substr(1)) + '\t' + appId + '\t' + title;
  }
};

// The compositor WAYLAND_DISPLAY names, and its registry: connected on
// construction, disconnected when it goes, after the objects bound from it
// (made later, so destroyed first).
class Compositor {
 public:
  Compositor() : display_(wl_display_connect(nullptr)) {}
  ~Compositor() {
    if (registry_ != nullptr) wl_registry_destroy(registry_);
    if (display_ != nullptr) wl_display_disconnect(display_);
  }
  Compositor(const Compositor&) = delete;
  Compositor& operator=(const Compositor&) = delete;

  wl_display* display() const { return display_; }

  // The globals, which `listener` binds into `data`; then what binding
  // them brought. False when the compositor cannot be reached.
  bool read(const wl_registry_listener& listener, void* data) {
    if (display_ == nullptr) return false;
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &listener, data);
    return wl_display_roundtrip(display_) >= 0 && wl_display_roundtrip(display_) >= 0;
  }

 private:
  wl_display* const display_;
  wl_registry* registry_ = nullptr;
};

#endif
