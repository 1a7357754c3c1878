// KWin's windows as its window management lists them to other programs,
// for the desktop tests: what a window's state is (minimised, active) and
// in which order the compositor lists the windows, seen from outside
// Tarvexel. One line a window, in the compositor's order:
//   PID<TAB>STATES<TAB>APP_ID<TAB>TITLE
// STATES: "active", "minimized" or both, comma-separated, or "-".
// It binds the interface at the version Tarvexel binds (17 where offered,
// else 10) and asks for the windows as Tarvexel does, by uuid or by
// number, in batches, so that it sees the order Tarvexel sees. KWin lends
// the interface only to programs a desktop file declares, unless
// KWIN_WAYLAND_NO_PERMISSION_CHECKS is set.
// Usage: kde_windows (WAYLAND_DISPLAY names the compositor). Exit status 1
// when the compositor cannot be reached or does not offer the interface.
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "plasma-window-management-test-client-protocol.h"

#include "listed_windows.h"

namespace {

constexpr std::uint32_t kUuidVersion = 17;
constexpr std::uint32_t kNumberVersion = 10;
constexpr std::size_t kBatch = 128;

using Window = ListedWindow<org_kde_plasma_window>;

void onState(void* data, org_kde_plasma_window*, std::uint32_t state) {
  Window::of(data).active = (state & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE) != 0;
  Window::of(data).minimized = (state & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED) != 0;
}
void onPid(void* data, org_kde_plasma_window*, std::uint32_t pid) { Window::of(data).pid = pid; }

const org_kde_plasma_window_listener kWindowListener{
    Window::onTitle, Window::onAppId, onState,        Window::ignore, Window::ignore,
    Window::onGone,  Window::ignore,  Window::ignore, Window::ignore, Window::ignore,
    onPid,           Window::ignore,  Window::ignore, Window::ignore, Window::ignore,
    Window::ignore,  Window::ignore};

struct Manager {
  org_kde_plasma_window_management* object = nullptr;
  std::vector<std::uint32_t> numbers;
  std::vector<std::string> uuids;
  std::vector<std::unique_ptr<Window>> windows;

  ~Manager() {
    for (const auto& window : windows) org_kde_plasma_window_destroy(window->object);
    if (object != nullptr) org_kde_plasma_window_management_destroy(object);
  }
};

void onWindow(void* data, org_kde_plasma_window_management*, std::uint32_t number) {
  static_cast<Manager*>(data)->numbers.push_back(number);
}
void onWindowWithUuid(void* data, org_kde_plasma_window_management*, std::uint32_t,
                      const char* uuid) {
  static_cast<Manager*>(data)->uuids.emplace_back(uuid);
}
void onShowDesktop(void*, org_kde_plasma_window_management*, std::uint32_t) {}
void onStackingOrder(void*, org_kde_plasma_window_management*, wl_array*) {}
void onStackingOrderUuids(void*, org_kde_plasma_window_management*, const char*) {}
void onStackingOrderChanged(void*, org_kde_plasma_window_management*) {}

const org_kde_plasma_window_management_listener kManagerListener{
    onShowDesktop,        onWindow,         onStackingOrder,
    onStackingOrderUuids, onWindowWithUuid, onStackingOrderChanged};

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
  auto& manager = *static_cast<Manager*>(data);
  if (std::strcmp(interface, org_kde_plasma_window_management_interface.name) != 0) return;
  const std::uint32_t bound = version >= kUuidVersion ? kUuidVersion : kNumberVersion;
  manager.object = static_cast<org_kde_plasma_window_management*>(
      wl_registry_bind(registry, name, &org_kde_plasma_window_management_interface, bound));
  org_kde_plasma_window_management_add_listener(manager.object, &kManagerListener, &manager);
}
void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

void print(const Manager& manager) {
  for (const auto& window : manager.windows) {
    if (!window->gone) std::printf("%u\t%s\n", window->pid, window->line().c_str());
  }
}

// Asks for every window announced, a batch at a time, each batch
// answered before the next.
bool askForWindows(wl_display* display, Manager& manager) {
  const bool byUuid = org_kde_plasma_window_management_get_version(manager.object) >= kUuidVersion;
  const std::size_t count = byUuid ? manager.uuids.size() : manager.numbers.size();
  for (std::size_t first = 0; first < count; first += kBatch) {
    for (std::size_t i = first; i < count && i < first + kBatch; ++i) {
      auto window = std::make_unique<Window>();
      window->object =
          byUuid ? org_kde_plasma_window_management_get_window_by_uuid(manager.object,
                                                                       manager.uuids[i].c_str())
                 : org_kde_plasma_window_management_get_window(manager.object, manager.numbers[i]);
      org_kde_plasma_window_add_listener(window->object, &kWindowListener, window.get());
      manager.windows.push_back(std::move(window));
    }
    if (wl_display_roundtrip(display) < 0) return false;
  }
  return true;
}

}  // namespace

int main() {
  Compositor compositor;
  Manager manager;
  // The globals; the windows' names; what each window says of itself.
  const bool listed = compositor.read(kRegistryListener, &manager) && manager.object != nullptr &&
                      askForWindows(compositor.display(), manager);
  if (listed) print(manager);
  return listed ? 0 : 1;
}
