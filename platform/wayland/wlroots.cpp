// Windows on compositors that offer wlroots' foreign-toplevel management
// (sway, Hyprland, labwc, river, wayfire, niri and others): binding the
// manager brings a handle for every window, each followed by its app id,
// title and state and closed by a "done"; one roundtrip later the list is
// whole.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/wayland/connection.h"
#include "platform/wayland/listener.h"
#include "platform/wayland/sway_ipc.h"
#include "platform/wayland/toplevels.h"
#include "platform/wayland/window_management.h"
#include "platform/window_system.h"
#include "wlr-foreign-toplevel-management-client-protocol.h"

namespace wayland {
namespace {

constexpr std::uint32_t kManagerVersion = 3;

// A window as its handle's events describe it. Only a handle that has had
// its "done" is whole; one that is closed is gone.
struct Handle {
  Toplevel toplevel;
  bool done = false;
  bool closed = false;

  bool listed() const { return done && !closed; }
};

Handle& handleOf(void* data) { return *static_cast<Handle*>(data); }

void onState(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
  const auto* values = static_cast<const std::uint32_t*>(states->data);
  Toplevel& toplevel = handleOf(data).toplevel;
  toplevel.activated = toplevel.minimized = false;
  for (std::size_t i = 0; i < states->size / sizeof *values; ++i) {
    if (values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED) toplevel.activated = true;
    if (values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED) toplevel.minimized = true;
  }
}

void onDone(void* data, zwlr_foreign_toplevel_handle_v1*) { handleOf(data).done = true; }

void onClosed(void* data, zwlr_foreign_toplevel_handle_v1*) { handleOf(data).closed = true; }

using HandleEvents = zwlr_foreign_toplevel_handle_v1_listener;
constexpr auto kHandleListener = Listener<HandleEvents>()
                                     .on(&HandleEvents::title, onTitle<Handle>)
                                     .on(&HandleEvents::app_id, onAppId<Handle>)
                                     .on(&HandleEvents::output_enter, ignore)
                                     .on(&HandleEvents::output_leave, ignore)
                                     .on(&HandleEvents::state, onState)
                                     .on(&HandleEvents::done, onDone)
                                     .on(&HandleEvents::closed, onClosed)
                                     .on(&HandleEvents::parent, ignore)
                                     .complete();

// The handles in the order the compositor announced them. The
// connection keeps each handle's data as long as its object.
struct Announced {
  Connection* connection = nullptr;
  std::vector<const Handle*> handles;
};

void onToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                zwlr_foreign_toplevel_handle_v1* object) {
  Announced& announced = *static_cast<Announced*>(data);
  auto* proxy = reinterpret_cast<wl_proxy*>(object);
  announced.connection->adopt(proxy);
  Handle& handle = announced.connection->listen(proxy, kHandleListener, std::make_unique<Handle>());
  handle.toplevel.object = proxy;
  announced.handles.push_back(&handle);
}

using ManagerEvents = zwlr_foreign_toplevel_manager_v1_listener;
constexpr auto kManagerListener = Listener<ManagerEvents>()
                                      .on(&ManagerEvents::toplevel, onToplevel)
                                      .on(&ManagerEvents::finished, ignore)
                                      .complete();

bool read(CompositorWindows& snapshot) {
  const Global* manager = managerGlobal(snapshot, zwlr_foreign_toplevel_manager_v1_interface);
  if (manager == nullptr) return false;
  Connection* connection = snapshot.connection;
  // libwayland's description of the seat, with its events: the program's
  // own wl_seat_interface is a name only (platform/wayland/core_interfaces.c).
  const wl_interface& seatInterface = *connection->library().seatInterface;
  if (const Global* seat = connection->global(seatInterface.name)) {
    snapshot.seat = connection->bind(*seat, seatInterface, 1);
  }
  wl_proxy* bound =
      connection->bind(*manager, zwlr_foreign_toplevel_manager_v1_interface, kManagerVersion);
  if (bound == nullptr) return false;
  const Announced& announced = connection->listen(
      bound, kManagerListener, std::make_unique<Announced>(Announced{connection, {}}));
  if (!connection->roundtrip()) return false;
  snapshot.toplevels = listedOf(announced.handles);
  return true;
}

std::wstring describe() { return wayland::describe(L"wlroots foreign-toplevel management"); }

const CompositorWindows& run() { return *snapshot<read>(); }

// Activation names the seat whose keyboard the window is to get; a
// compositor without a seat has no keyboard to give.
void activate(HWND window) {
  if (run().seat != nullptr) {
    run().request(window, ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_ACTIVATE, {objectArgument(run().seat)});
  }
}

// sway goes to the window's workspace as it activates it. When it did, the
// window follows the user back to the workspace they came from, which sway
// remembers as the one before: the command names no workspace, so no name
// has to be quoted.
constexpr char kBackWithTheWindow[] =
    "move container to workspace back_and_forth; workspace back_and_forth";

// sway only: wlroots' protocol moves no window between workspaces, and a
// compositor that is not sway activates the window where it is.
void bringHere(HWND window) {
  const Clock::time_point end = Clock::now() + kAnswerTime;
  const std::unique_ptr<SwayIpc> sway = SwayIpc::open();
  const std::optional<std::string> before = sway ? sway->focusedWorkspace(end) : std::nullopt;
  activate(window);
  if (!before || !run().connection->settle(end)) return;
  const std::optional<std::string> after = sway->focusedWorkspace(end);
  if (after && *after != *before) sway->run(kBackWithTheWindow, end);
}

void close(HWND window) { run().request(window, ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_CLOSE); }

void minimize(HWND window) { run().request(window, ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_SET_MINIMIZED); }

// sway names its IPC socket in its sessions' environment.
bool onSway() {
  const char* socket = std::getenv("SWAYSOCK");
  return socket != nullptr && *socket != '\0';
}

}  // namespace

const WindowSystem* wlroots() {
  return windowSystem<read, describe, activate, close, minimize>(onSway() ? bringHere : nullptr);
}

}  // namespace wayland
