// Windows on KDE Plasma, whose compositor (KWin) offers its own window
// management protocol instead of wlroots', and only to programs that a
// desktop file declares (X-KDE-Wayland-Interfaces). Binding the manager
// brings the name of every window, in the order the windows were shown
// (one shown again comes last), which is the order "next" steps through;
// asking for each window's object by its name brings its title, app id
// and state. A roundtrip for the names, one for each batch of windows
// asked for, and the list is whole; the virtual desktops, which a window
// brought here needs, come with them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "plasma-window-management-client-protocol.h"
#include "platform/wayland/connection.h"
#include "platform/wayland/listener.h"
#include "platform/wayland/toplevels.h"
#include "platform/wayland/window_management.h"
#include "platform/wayland/virtual_desktops.h"
#include "platform/window_system.h"

namespace wayland {
namespace {

// KWin 6 names its windows by uuid, and answers a window asked for by its
// number twice, the second time for a placeholder that unmaps at once:
// from version 17 on the windows are asked for by uuid. Versions 11 to 16
// send the whole stacking order in one message, which with a few hundred
// windows outgrows a message's 4 KiB and makes the compositor drop the
// client; version 17 sends only word that it changed. A compositor that
// offers less than 17 (KWin 5) is bound at 10, by numbers.
constexpr std::uint32_t kUuidVersion = 17;
constexpr std::uint32_t kNumberVersion = 10;

// Asked for all at once, thousands of windows fill both sides' buffers
// (the requests unread while KWin's answers wait to be read) and
// libwayland drops the connection: they are asked for in batches, and
// each batch answered before the next.
constexpr std::size_t kBatch = 128;

struct Window {
  Toplevel toplevel;
  std::vector<std::string> desktops;  // none: on every desktop
  bool unmapped = false;

  bool listed() const { return !unmapped; }
};

Window& windowOf(void* data) { return *static_cast<Window*>(data); }

void onState(void* data, org_kde_plasma_window*, std::uint32_t flags) {
  windowOf(data).toplevel.activated = (flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE) != 0;
  windowOf(data).toplevel.minimized =
      (flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_MINIMIZED) != 0;
}

void onUnmapped(void* data, org_kde_plasma_window*) { windowOf(data).unmapped = true; }

void onResourceName(void* data, org_kde_plasma_window*, const char* name) {
  windowOf(data).toplevel.resourceName = name;
}

void onDesktopEntered(void* data, org_kde_plasma_window*, const char* id) {
  windowOf(data).desktops.emplace_back(id);
}

void onDesktopLeft(void* data, org_kde_plasma_window*, const char* id) {
  std::vector<std::string>& desktops = windowOf(data).desktops;
  desktops.erase(std::remove(desktops.begin(), desktops.end(), id), desktops.end());
}

// The protocol file is the program's own (plasma-window-management.xml),
// so these are all the events of the version bound.
using WindowEvents = org_kde_plasma_window_listener;
constexpr auto kWindowListener =
    Listener<WindowEvents>()
        .on(&WindowEvents::title_changed, onTitle<Window>)
        .on(&WindowEvents::app_id_changed, onAppId<Window>)
        .on(&WindowEvents::state_changed, onState)
        .on(&WindowEvents::virtual_desktop_changed, ignore)
        .on(&WindowEvents::themed_icon_name_changed, ignore)
        .on(&WindowEvents::unmapped, onUnmapped)
        .on(&WindowEvents::initial_state, ignore)
        .on(&WindowEvents::parent_window, ignore)
        .on(&WindowEvents::geometry, ignore)
        .on(&WindowEvents::icon_changed, ignore)
        .on(&WindowEvents::pid_changed, ignore)
        .on(&WindowEvents::virtual_desktop_entered, onDesktopEntered)
        .on(&WindowEvents::virtual_desktop_left, onDesktopLeft)
        .on(&WindowEvents::application_menu, ignore)
        .on(&WindowEvents::activity_entered, ignore)
        .on(&WindowEvents::activity_left, ignore)
        .on(&WindowEvents::resource_name_changed, onResourceName)  // sent from version 16
        .complete();

// The windows' names in the order the compositor announced them: numbers,
// and from version 13 on also uuids, which KWin announces with them.
struct Announced {
  std::vector<std::uint32_t> numbers;
  std::vector<std::string> uuids;
};

Announced& announcedOf(void* data) { return *static_cast<Announced*>(data); }

void onWindow(void* data, org_kde_plasma_window_management*, std::uint32_t number) {
  announcedOf(data).numbers.push_back(number);
}

void onWindowWithUuid(void* data, org_kde_plasma_window_management*, std::uint32_t,
                      const char* uuid) {
  announcedOf(data).uuids.emplace_back(uuid);
}

using ManagerEvents = org_kde_plasma_window_management_listener;
constexpr auto kManagerListener = Listener<ManagerEvents>()
                                      .on(&ManagerEvents::show_desktop_changed, ignore)
                                      .on(&ManagerEvents::window, onWindow)
                                      .on(&ManagerEvents::stacking_order_changed, ignore)
                                      .on(&ManagerEvents::stacking_order_uuid_changed, ignore)
                                      .on(&ManagerEvents::window_with_uuid, onWindowWithUuid)
                                      .on(&ManagerEvents::stacking_order_changed_2, ignore)
                                      .complete();

std::uint32_t versionFor(const Global& manager) {
  return manager.version >= kUuidVersion ? kUuidVersion : kNumberVersion;
}

// The name of the window announced at `index`, as a request's argument.
wl_argument nameOf(const Announced& announced, std::size_t index, bool byUuid) {
  return byUuid ? stringArgument(announced.uuids[index].c_str())
                : uintArgument(announced.numbers[index]);
}

// The same name as a person reads it: it stays the window's while it lives.
std::string idOf(const Announced& announced, std::size_t index, bool byUuid) {
  return byUuid ? announced.uuids[index] : std::to_string(announced.numbers[index]);
}

// Asks for a window; null when the connection has failed.
const Window* askFor(Connection& connection, wl_proxy* manager, std::uint32_t opcode,
                     const Announced& announced, std::size_t index, bool byUuid) {
  wl_proxy* object = connection.create(manager, opcode, org_kde_plasma_window_interface,
                                       {wl_argument{}, nameOf(announced, index, byUuid)});
  if (object == nullptr) return nullptr;
  Window& window = connection.listen(object, kWindowListener, std::make_unique<Window>());
  window.toplevel.object = object;
  window.toplevel.id = idOf(announced, index, byUuid);
  return &window;
}

// Asks for every window announced, in batches, each batch answered before
// the next; false when the connection has failed. Windows announced while
// the batches are read are left out, as those shown after the read are.
bool askForWindows(Connection& connection, wl_proxy* manager, const Announced& announced,
                   std::vector<const Window*>& windows) {
  const bool byUuid = connection.library().getVersion(manager) >= kUuidVersion;
  const std::uint32_t opcode = byUuid ? ORG_KDE_PLASMA_WINDOW_MANAGEMENT_GET_WINDOW_BY_UUID
                                      : ORG_KDE_PLASMA_WINDOW_MANAGEMENT_GET_WINDOW;
  const std::size_t count = byUuid ? announced.uuids.size() : announced.numbers.size();
  for (std::size_t first = 0; first < count; first += kBatch) {
    for (std::size_t index = first; index < count && index < first + kBatch; ++index) {
      const Window* window = askFor(connection, manager, opcode, announced, index, byUuid);
      if (window == nullptr) return false;
      windows.push_back(window);
    }
    if (!connection.roundtrip()) return false;
  }
  return true;
}

// What bringing a window here needs beyond the list: the windows' desktops,
// and the desktop the user is on. Read with the windows.
struct Whereabouts {
  std::vector<const Window*> windows;
  const VirtualDesktops* desktops = nullptr;

  // Empty where the compositor has not told it.
  std::string current() const { return desktops != nullptr ? desktops->current : ""; }

  // The desktops of the window behind `object` where it is shown only on
  // desktops other than the current one; otherwise (a window here, or on
  // every desktop, or one not known) none.
  std::vector<std::string> away(const wl_proxy* object) const {
    const auto found = std::find_if(windows.begin(), windows.end(), [object](const Window* w) {
      return w->toplevel.object == object;
    });
    if (found == windows.end() || current().empty()) return {};
    const std::vector<std::string>& on = (*found)->desktops;
    const bool here = std::find(on.begin(), on.end(), current()) != on.end();
    return here ? std::vector<std::string>() : on;
  }
};

Whereabouts& whereabouts() {
  static Whereabouts known;
  return known;
}

bool read(CompositorWindows& snapshot) {
  const Global* global = managerGlobal(snapshot, org_kde_plasma_window_management_interface);
  if (global == nullptr) return false;
  Connection* connection = snapshot.connection;
  wl_proxy* manager =
      connection->bind(*global, org_kde_plasma_window_management_interface, versionFor(*global));
  if (manager == nullptr) return false;
  const Announced& announced =
      connection->listen(manager, kManagerListener, std::make_unique<Announced>());
  VirtualDesktops* desktops = bindVirtualDesktops(*connection);
  if (!connection->roundtrip()) return false;
  // The desktops are answered with the first batch of windows: with no
  // window there is nothing to bring here.
  if (desktops != nullptr) askForVirtualDesktops(*connection, *desktops);
  Whereabouts& known = whereabouts();
  if (!askForWindows(*connection, manager, announced, known.windows)) return false;
  known.desktops = desktops;
  snapshot.toplevels = listedOf(known.windows);
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

// A window on other desktops enters the user's first and then leaves
// those: one that left every desktop would be on all of them. KWin carries
// the requests out in order, so the activation finds it here.
void bringHere(HWND window) {
  const CompositorWindows& windows = *snapshot<read>();
  const Whereabouts& known = whereabouts();
  const std::vector<std::string> away = known.away(windows.toplevels.objectOf(window));
  if (!away.empty()) {
    const std::string current = known.current();
    windows.request(window, ORG_KDE_PLASMA_WINDOW_REQUEST_ENTER_VIRTUAL_DESKTOP,
                    {stringArgument(current.c_str())});
    for (const std::string& desktop : away) {
      windows.request(window, ORG_KDE_PLASMA_WINDOW_REQUEST_LEAVE_VIRTUAL_DESKTOP,
                      {stringArgument(desktop.c_str())});
    }
  }
  activate(window);
}

}  // namespace

const WindowSystem* kde() {
  return windowSystem<read, describe, activate, close, minimize>(bringHere);
}

}  // namespace wayland
