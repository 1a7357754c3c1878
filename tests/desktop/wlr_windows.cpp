// The windows of a wlroots-style compositor other than sway (labwc) as
// its foreign-toplevel management lists them to other programs, for the
// desktop tests: whether a window is minimised or active, seen from outside
// Tarvexel. One line a window, in the order the compositor announces them:
//   STATES<TAB>APP_ID<TAB>TITLE
// STATES: "active", "minimized" or both, comma-separated, or "-".
// Usage: wlr_windows (WAYLAND_DISPLAY names the compositor). Exit status 1
// when the compositor cannot be reached or does not offer the interface.
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "wlr-foreign-toplevel-management-test-client-protocol.h"

namespace {

constexpr std::uint32_t kVersion = 3;

struct Window {
  zwlr_foreign_toplevel_handle_v1* object = nullptr;
  std::string appId;
  std::string title;
  bool active = false;
  bool minimized = false;
  bool closed = false;
};

Window& windowOf(void* data) { return *static_cast<Window*>(data); }

void onTitle(void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
  windowOf(data).title = title;
}
void onAppId(void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId) {
  windowOf(data).appId = appId;
}
void onState(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
  Window& window = windowOf(data);
  window.active = window.minimized = false;
  const auto* values = static_cast<const std::uint32_t*>(states->data);
  for (std::size_t i = 0; i < states->size / sizeof *values; ++i) {
    window.active = window.active || values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
    window.minimized =
        window.minimized || values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED;
  }
}
void onClosed(void* data, zwlr_foreign_toplevel_handle_v1*) { windowOf(data).closed = true; }
void ignore(void*, zwlr_foreign_toplevel_handle_v1*) {}
void ignore(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
void ignore(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}

const zwlr_foreign_toplevel_handle_v1_listener kWindowListener{
    onTitle, onAppId, ignore, ignore, onState, ignore, onClosed, ignore};

struct Manager {
  zwlr_foreign_toplevel_manager_v1* object = nullptr;
  std::vector<std::unique_ptr<Window>> windows;
};

void onToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                zwlr_foreign_toplevel_handle_v1* object) {
  auto& manager = *static_cast<Manager*>(data);
  auto window = std::make_unique<Window>();
  window->object = object;
  zwlr_foreign_toplevel_handle_v1_add_listener(object, &kWindowListener, window.get());
  manager.windows.push_back(std::move(window));
}
void onFinished(void*, zwlr_foreign_toplevel_manager_v1*) {}

const zwlr_foreign_toplevel_manager_v1_listener kManagerListener{onToplevel, onFinished};

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
  auto& manager = *static_cast<Manager*>(data);
  if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) != 0) return;
  manager.object = static_cast<zwlr_foreign_toplevel_manager_v1*>(wl_registry_bind(
      registry, name, &zwlr_foreign_toplevel_manager_v1_interface, std::min(version, kVersion)));
  zwlr_foreign_toplevel_manager_v1_add_listener(manager.object, &kManagerListener, &manager);
}
void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

std::string states(const Window& window) {
  std::string named;
  if (window.active) named += ",active";
  if (window.minimized) named += ",minimized";
  return named.empty() ? "-" : named.substr(1);
}

void print(const Manager& manager) {
  for (const auto& window : manager.windows) {
    if (window->closed) continue;
    std::printf("%s\t%s\t%s\n", states(*window).c_str(), window->appId.c_str(),
                window->title.c_str());
  }
}

}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return 1;
  Manager manager;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &manager);
  // The globals; the windows' handles and what each says of itself.
  bool answered = true;
  for (int i = 0; i < 2 && answered; ++i) answered = wl_display_roundtrip(display) >= 0;
  const bool listed = answered && manager.object != nullptr;
  if (listed) print(manager);
  for (const auto& window : manager.windows) zwlr_foreign_toplevel_handle_v1_destroy(window->object);
  if (manager.object != nullptr) zwlr_foreign_toplevel_manager_v1_destroy(manager.object);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return listed ? 0 : 1;
}
