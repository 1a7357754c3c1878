// Windows on KDE Plasma, whose compositor (KWin) offers its own window
// management protocol instead of wlroots', and only to programs that a
// desktop file declares (X-KDE-Wayland-Interfaces). Binding the manager
// brings the id of every window, in the order the windows were shown (one
// shown again comes last), which is the order "next" steps through;
// asking for each window's object by its id brings its title, app id and
// state. Two roundtrips later the list is whole.
#include <cstdint>
#include <memory>
#include <vector>

#include "plasma-window-management-client-protocol.h"
#include "platform/wayland/connection.h"
#include "platform/wayland/toplevels.h"
#include "platform/window_system.h"

namespace wayland {
namespace {

// Version 11 and later send the whole stacking order in one message, ids
// from 11 and uuids from 12; a message holds at most 4 KiB, and with a few
// hundred windows the compositor cannot send it and drops the client.
// Version 10 has everything Tarvexel asks about.
constexpr std::uint32_t kManagerVersion = 10;

struct Window {
  Toplevel toplevel;
  bool unmapped = false;
};

Window& windowOf(void* data) { return *static_cast<Window*>(data); }

void onTitle(void* data, org_kde_plasma_window*, const char* title) {
  windowOf(data).toplevel.title = title;
}

void onAppId(void* data, org_kde_plasma_window*, const char* appId) {
  windowOf(data).toplevel.appId = appId;
}

void onState(void* data, org_kde_plasma_window*, std::uint32_t flags) {
  windowOf(data).toplevel.activated = (flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE) != 0;
  windowOf(data).toplevel.minimized =
      (flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED) != 0;
}

void onUnmapped(void* data, org_kde_plasma_window*) { windowOf(data).unmapped = true; }

void onResourceName(void* data, org_kde_plasma_window*, const char* name) {
  windowOf(data).toplevel.resourceName = name;
}

// The events Tarvexel has no use for.
void ignore(void*, org_kde_plasma_window*) {}
void ignore(void*, org_kde_plasma_window*, std::int32_t) {}
void ignore(void*, org_kde_plasma_window*, std::uint32_t) {}
void ignore(void*, org_kde_plasma_window*, const char*) {}
void ignore(void*, org_kde_plasma_window*, const char*, const char*) {}
void ignore(void*, org_kde_plasma_window*, org_kde_plasma_window*) {}
void ignore(void*, org_kde_plasma_window*, std::int32_t, std::int32_t, std::uint32_t,
            std::uint32_t) {}

constexpr org_kde_plasma_window_listener kWindowListener{
    onTitle,     // title_changed
    onAppId,     // app_id_changed
    onState,     // state_changed
    ignore,      // virtual_desktop_changed
    ignore,      // themed_icon_name_changed
    onUnmapped,  // unmapped
    ignore,      // initial_state
    ignore,      // parent_window
    ignore,      // geometry
    ignore,      // icon_changed
    ignore,      // pid_changed
    ignore,      // virtual_desktop_entered
    ignore,      // virtual_desktop_left
    ignore,      // application_menu
    ignore,      // activity_entered
    ignore,      // activity_left
    onResourceName,  // resource_name_changed (sent from version 16)
};

// The windows in the order the compositor announced them.
struct Announced {
  Connection* connection = nullptr;
  wl_proxy* manager = nullptr;
  std::vector<std::unique_ptr<Window>> windows;

  void add(std::uint32_t id) {
    auto window = std::make_unique<Window>();
    window->toplevel.object =
        connection->create(manager, ORG_KDE_PLASMA_WINDOW_MANAGEMENT_GET_WINDOW,
                           org_kde_plasma_window_interface, {wl_argument{}, uintArgument(id)});
    if (window->toplevel.object == nullptr) return;
    connection->listen(window->toplevel.object, kWindowListener, window.get());
    windows.push_back(std::move(window));
  }
};

Announced& announcedOf(void* data) { return *static_cast<Announced*>(data); }

void onWindow(void* data, org_kde_plasma_window_management*, std::uint32_t id) {
  announcedOf(data).add(id);
}

// The events Tarvexel has no use for, or that come only with versions
// later than the one it binds.
void onShowDesktop(void*, org_kde_plasma_window_management*, std::uint32_t) {}
void onStackingOrder(void*, org_kde_plasma_window_management*, wl_array*) {}
void onStackingOrderUuids(void*, org_kde_plasma_window_management*, const char*) {}
void onWindowWithUuid(void*, org_kde_plasma_window_management*, std::uint32_t, const char*) {}

constexpr org_kde_plasma_window_management_listener kManagerListener{
    onShowDesktop, onWindow, onStackingOrder, onStackingOrderUuids, onWindowWithUuid};

bool read(Snapshot& snapshot) {
  Connection* connection = wayland::connection();
  if (connection == nullptr) return false;
  const Global* manager = connection->global(org_kde_plasma_window_management_interface.name);
  if (manager == nullptr) return false;
  snapshot.connection = connection;
  // Nothing dispatches the windows' events once the list is read: what
  // they describe need not outlive this.
  Announced announced{connection, nullptr, {}};
  announced.manager =
      connection->bind(*manager, org_kde_plasma_window_management_interface, kManagerVersion);
  if (announced.manager == nullptr) return false;
  connection->listen(announced.manager, kManagerListener, &announced);
  // The first brings the windows' ids, the second what the windows asked
  // for by them say of themselves.
  if (!connection->roundtrip() || !connection->roundtrip()) return false;
  std::vector<Toplevel> listed;
  for (const auto& window : announced.windows) {
    if (!window->unmapped) listed.push_back(window->toplevel);
  }
  snapshot.toplevels = Toplevels(listed);
  return true;
}

std::wstring describe() { return wayland::describe(L"KDE Plasma window management"); }

// A state change names the flags it changes and their new values.
void setState(HWND window, std::uint32_t flag) {
  snapshot<read>()->request(window, ORG_KDE_PLASMA_WINDOW_SET_STATE,
                            {uintArgument(flag), uintArgument(flag)});
}

// KWin restores a minimised window as it activates it.
void activate(HWND window) { setState(window, ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE); }

void close(HWND window) { snapshot<read>()->request(window, ORG_KDE_PLASMA_WINDOW_CLOSE); }

void minimize(HWND window) { setState(window, ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED); }

}  // namespace

const WindowSystem* kde() {
  using Search = Searches<read>;
  static const WindowSystem system{describe,      Search::find, Search::findLeastRecent,
                                   Search::front, Search::list, activate,
                                   close,         minimize};
  return snapshot<read>() != nullptr ? &system : nullptr;
}

}  // namespace wayland
