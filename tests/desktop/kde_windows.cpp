// KWin's windows as its window management lists them to other programs,
// for the desktop tests: what a window's state is (minimised, active), on
// which virtual desktops it is, and in which order the compositor lists
// the windows, seen from outside Tarvexel. One line a window, in the
// compositor's order:
//   PID<TAB>STATES<TAB>APP_ID<TAB>TITLE<TAB>DESKTOPS
// STATES: "active", "minimized" or both, comma-separated, or "-".
// DESKTOPS: the numbers of the window's virtual desktops (1 the first, as
// KWin orders them), comma-separated, or "all" for a window on every one.
// It binds the interface at the version Tarvexel binds (17 where offered,
// else 10) and asks for the windows as Tarvexel does, by uuid or by
// number, in batches, so that it sees the order Tarvexel sees. KWin lends
// the interface only to programs a desktop file declares, unless
// KWIN_WAYLAND_NO_PERMISSION_CHECKS is set.
// Usage: kde_windows (WAYLAND_DISPLAY names the compositor); kde_windows
// desktop [N]: the number of the current virtual desktop, as KWin's virtual
// desktop management tells it, once desktop N was asked to become current
// where given (as a pager asks). Exit status 1 when the compositor cannot
// be reached or does not offer the interface, or there is no desktop N.
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "plasma-virtual-desktop-test-client-protocol.h"
#include "plasma-window-management-test-client-protocol.h"

namespace {

constexpr std::uint32_t kUuidVersion = 17;
constexpr std::uint32_t kNumberVersion = 10;
constexpr std::size_t kBatch = 128;
constexpr std::uint32_t kDesktopVersion = 2;

struct Window {
  org_kde_plasma_window* object = nullptr;
  std::uint32_t pid = 0;
  std::uint32_t state = 0;
  std::string appId;
  std::string title;
  std::vector<std::string> desktops;
  bool unmapped = false;
};

Window& windowOf(void* data) { return *static_cast<Window*>(data); }

void onTitle(void* data, org_kde_plasma_window*, const char* title) {
  windowOf(data).title = title;
}
void onAppId(void* data, org_kde_plasma_window*, const char* appId) {
  windowOf(data).appId = appId;
}
void onState(void* data, org_kde_plasma_window*, std::uint32_t state) {
  windowOf(data).state = state;
}
void onUnmapped(void* data, org_kde_plasma_window*) { windowOf(data).unmapped = true; }
void onPid(void* data, org_kde_plasma_window*, std::uint32_t pid) { windowOf(data).pid = pid; }
void onDesktopEntered(void* data, org_kde_plasma_window*, const char* id) {
  windowOf(data).desktops.emplace_back(id);
}
void onDesktopLeft(void* data, org_kde_plasma_window*, const char* id) {
  auto& desktops = windowOf(data).desktops;
  desktops.erase(std::remove(desktops.begin(), desktops.end(), id), desktops.end());
}

void ignore(void*, org_kde_plasma_window*) {}
void ignore(void*, org_kde_plasma_window*, std::int32_t) {}
void ignore(void*, org_kde_plasma_window*, const char*) {}
void ignore(void*, org_kde_plasma_window*, const char*, const char*) {}
void ignore(void*, org_kde_plasma_window*, org_kde_plasma_window*) {}
void ignore(void*, org_kde_plasma_window*, std::int32_t, std::int32_t, std::uint32_t,
            std::uint32_t) {}

const org_kde_plasma_window_listener kWindowListener{
    onTitle, onAppId, onState,          ignore,        ignore, onUnmapped, ignore, ignore, ignore,
    ignore,  onPid,   onDesktopEntered, onDesktopLeft, ignore, ignore,     ignore, ignore};

// The virtual desktops in KWin's order, and the current one.
struct Desktops {
  org_kde_plasma_virtual_desktop_management* object = nullptr;
  std::vector<std::string> ids;
  std::vector<org_kde_plasma_virtual_desktop*> objects;
  std::string current;
};

void onDesktopCreated(void* data, org_kde_plasma_virtual_desktop_management*, const char* id,
                      std::uint32_t position) {
  auto& ids = static_cast<Desktops*>(data)->ids;
  ids.insert(ids.begin() + std::min<std::size_t>(position, ids.size()), id);
}
void onDesktopRemoved(void* data, org_kde_plasma_virtual_desktop_management*, const char* id) {
  auto& ids = static_cast<Desktops*>(data)->ids;
  ids.erase(std::remove(ids.begin(), ids.end(), id), ids.end());
}
void ignore(void*, org_kde_plasma_virtual_desktop_management*) {}
void ignore(void*, org_kde_plasma_virtual_desktop_management*, std::uint32_t) {}
const org_kde_plasma_virtual_desktop_management_listener kDesktopsListener{
    onDesktopCreated, onDesktopRemoved, ignore, ignore};

// A desktop object's data: where the current one is written, and its id.
struct Desktop {
  Desktops* all;
  std::string id;
};
void onActivated(void* data, org_kde_plasma_virtual_desktop*) {
  auto* desktop = static_cast<Desktop*>(data);
  desktop->all->current = desktop->id;
}
void ignore(void*, org_kde_plasma_virtual_desktop*) {}
void ignore(void*, org_kde_plasma_virtual_desktop*, const char*) {}
const org_kde_plasma_virtual_desktop_listener kDesktopListener{ignore, ignore, onActivated,
                                                               ignore, ignore, ignore};

struct Manager {
  org_kde_plasma_window_management* object = nullptr;
  Desktops desktops;
  std::vector<std::uint32_t> numbers;
  std::vector<std::string> uuids;
  std::vector<std::unique_ptr<Window>> windows;
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
  if (std::strcmp(interface, org_kde_plasma_virtual_desktop_management_interface.name) == 0) {
    manager.desktops.object = static_cast<org_kde_plasma_virtual_desktop_management*>(
        wl_registry_bind(registry, name, &org_kde_plasma_virtual_desktop_management_interface,
                         std::min(version, kDesktopVersion)));
    org_kde_plasma_virtual_desktop_management_add_listener(manager.desktops.object,
                                                           &kDesktopsListener, &manager.desktops);
  }
  if (std::strcmp(interface, org_kde_plasma_window_management_interface.name) != 0) return;
  const std::uint32_t bound = version >= kUuidVersion ? kUuidVersion : kNumberVersion;
  manager.object = static_cast<org_kde_plasma_window_management*>(
      wl_registry_bind(registry, name, &org_kde_plasma_window_management_interface, bound));
  org_kde_plasma_window_management_add_listener(manager.object, &kManagerListener, &manager);
}
void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

std::string states(std::uint32_t state) {
  std::string named;
  if (state & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE) named += ",active";
  if (state & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED) named += ",minimized";
  return named.empty() ? "-" : named.substr(1);
}

// The desktop's number, 1 the first; 0 for one KWin did not announce.
std::size_t numberOf(const Desktops& desktops, const std::string& id) {
  const auto found = std::find(desktops.ids.begin(), desktops.ids.end(), id);
  return found == desktops.ids.end() ? 0 : found - desktops.ids.begin() + 1;
}

std::string desktopsOf(const Window& window, const Desktops& desktops) {
  std::string numbers;
  for (const std::string& id : window.desktops) {
    numbers += "," + std::to_string(numberOf(desktops, id));
  }
  return numbers.empty() ? "all" : numbers.substr(1);
}

void print(const Manager& manager) {
  for (const auto& window : manager.windows) {
    if (window->unmapped) continue;
    std::printf("%u\t%s\t%s\t%s\t%s\n", window->pid, states(window->state).c_str(),
                window->appId.c_str(), window->title.c_str(),
                desktopsOf(*window, manager.desktops).c_str());
  }
}

// Asks for each desktop announced, whose answer says whether it is the
// current one; answered with the first batch of windows.
void askForDesktops(Desktops& desktops, std::vector<std::unique_ptr<Desktop>>& kept) {
  if (desktops.object == nullptr) return;
  for (const std::string& id : desktops.ids) {
    kept.push_back(std::make_unique<Desktop>(Desktop{&desktops, id}));
    auto* object =
        org_kde_plasma_virtual_desktop_management_get_virtual_desktop(desktops.object, id.c_str());
    org_kde_plasma_virtual_desktop_add_listener(object, &kDesktopListener, kept.back().get());
    desktops.objects.push_back(object);
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

// `kde_windows desktop [N]`: asks for desktop N, then tells the current one.
bool tellDesktop(wl_display* display, Desktops& desktops, const char* wanted) {
  if (desktops.object == nullptr || desktops.current.empty()) return false;
  if (wanted != nullptr) {
    const std::size_t number = std::strtoul(wanted, nullptr, 10);
    if (number < 1 || number > desktops.objects.size()) return false;
    org_kde_plasma_virtual_desktop_request_activate(desktops.objects[number - 1]);
    if (wl_display_roundtrip(display) < 0) return false;
  }
  std::printf("%zu\n", numberOf(desktops, desktops.current));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const bool desktop = argc > 1 && std::strcmp(argv[1], "desktop") == 0;
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return 1;
  Manager manager;
  std::vector<std::unique_ptr<Desktop>> desktops;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &manager);
  // The globals; the windows' names and the desktops; what each window and
  // desktop says of itself.
  bool answered = wl_display_roundtrip(display) >= 0 && wl_display_roundtrip(display) >= 0;
  if (answered) askForDesktops(manager.desktops, desktops);
  bool done = answered && manager.object != nullptr && askForWindows(display, manager) &&
              wl_display_roundtrip(display) >= 0;
  if (done && desktop) {
    done = tellDesktop(display, manager.desktops, argc > 2 ? argv[2] : nullptr);
  } else if (done) {
    print(manager);
  }
  for (const auto& window : manager.windows) org_kde_plasma_window_destroy(window->object);
  for (auto* object : manager.desktops.objects) org_kde_plasma_virtual_desktop_destroy(object);
  if (manager.desktops.object != nullptr) {
    org_kde_plasma_virtual_desktop_management_destroy(manager.desktops.object);
  }
  if (manager.object != nullptr) org_kde_plasma_window_management_destroy(manager.object);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return done ? 0 : 1;
}
