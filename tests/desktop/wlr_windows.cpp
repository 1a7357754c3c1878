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

#include "listed_windows.h"

namespace {

constexpr std::uint32_t kVersion = 3;

using Window = ListedWindow<zwlr_foreign_toplevel_handle_v1>;

void onState(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
  Window& window = Window::of(data);
  window.active = window.minimized = false;
  const auto* values = static_cast<const std::uint32_t*>(states->data);
  for (std::size_t i = 0; i < states->size / sizeof *values; ++i) {
    window.active = window.active || values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
    window.minimized =
        window.minimized || values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED;
  }
}

const zwlr_foreign_toplevel_handle_v1_listener kWindowListener{
    Window::onTitle, Window::onAppId, Window::ignore, Window::ignore,
    onState,         Window::ignore,  Window::onGone, Window::ignore};

struct Manager {
  zwlr_foreign_toplevel_manager_v1* object = nullptr;
  std::vector<std::unique_ptr<Window>> windows;

  ~Manager() {
    for (const auto& window : windows) zwlr_foreign_toplevel_handle_v1_destroy(window->object);
    if (object != nullptr) zwlr_foreign_toplevel_manager_v1_destroy(object);
  }
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

void print(const Manager& manager) {
  for (const auto& window : manager.windows) {
    if (!window->gone) std::printf("%s\n", window->line().c_str());
  }
}

}  // namespace

int main() {
  Compositor compositor;
  Manager manager;
  // The globals; the windows' handles and what each says of itself.
  const bool listed = compositor.read(kRegistryListener, &manager) && manager.object != nullptr;
  if (listed) print(manager);
  return listed ? 0 : 1;
}
