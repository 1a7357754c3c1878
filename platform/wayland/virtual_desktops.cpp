#include "platform/wayland/virtual_desktops.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "plasma-virtual-desktop-client-protocol.h"
#include "platform/wayland/listener.h"

namespace wayland {
namespace {

// Version 2 tells the desktops and the current one, all Tarvexel asks;
// later versions add the desktops' positions and screens.
constexpr std::uint32_t kVersion = 2;

VirtualDesktops& desktopsOf(void* data) { return *static_cast<VirtualDesktops*>(data); }

void onCreated(void* data, org_kde_plasma_virtual_desktop_management*, const char* id,
               std::uint32_t) {
  desktopsOf(data).ids.emplace_back(id);
}

void onRemoved(void* data, org_kde_plasma_virtual_desktop_management*, const char* id) {
  std::vector<std::string>& ids = desktopsOf(data).ids;
  ids.erase(std::remove(ids.begin(), ids.end(), id), ids.end());
}

using ManagerEvents = org_kde_plasma_virtual_desktop_management_listener;
constexpr auto kManagerListener = Listener<ManagerEvents>()
                                      .on(&ManagerEvents::desktop_created, onCreated)
                                      .on(&ManagerEvents::desktop_removed, onRemoved)
                                      .on(&ManagerEvents::done, ignore)
                                      .on(&ManagerEvents::rows, ignore)
                                      .complete();

// A desktop's object knows which desktop it stands for, and where to say
// that it is the current one.
struct Desktop {
  VirtualDesktops* all;
  std::string id;
};

void onActivated(void* data, org_kde_plasma_virtual_desktop*) {
  const Desktop& desktop = *static_cast<Desktop*>(data);
  desktop.all->current = desktop.id;
}

void onDeactivated(void* data, org_kde_plasma_virtual_desktop*) {
  const Desktop& desktop = *static_cast<Desktop*>(data);
  if (desktop.all->current == desktop.id) desktop.all->current.clear();
}

using DesktopEvents = org_kde_plasma_virtual_desktop_listener;
constexpr auto kDesktopListener = Listener<DesktopEvents>()
                                      .on(&DesktopEvents::desktop_id, ignore)
                                      .on(&DesktopEvents::name, ignore)
                                      .on(&DesktopEvents::activated, onActivated)
                                      .on(&DesktopEvents::deactivated, onDeactivated)
                                      .on(&DesktopEvents::done, ignore)
                                      .on(&DesktopEvents::removed, ignore)
                                      .complete();

}  // namespace

VirtualDesktops* bindVirtualDesktops(Connection& connection) {
  const wl_interface& interface = org_kde_plasma_virtual_desktop_management_interface;
  const Global* global = connection.global(interface.name);
  if (global == nullptr) return nullptr;
  wl_proxy* manager = connection.bind(*global, interface, kVersion);
  if (manager == nullptr) return nullptr;
  VirtualDesktops& desktops =
      connection.listen(manager, kManagerListener, std::make_unique<VirtualDesktops>());
  desktops.manager = manager;
  return &desktops;
}

void askForVirtualDesktops(Connection& connection, VirtualDesktops& desktops) {
  for (const std::string& id : desktops.ids) {
    wl_proxy* object = connection.create(
        desktops.manager, ORG_KDE_PLASMA_VIRTUAL_DESKTOP_MANAGEMENT_GET_VIRTUAL_DESKTOP,
        org_kde_plasma_virtual_desktop_interface, {wl_argument{}, stringArgument(id.c_str())});
    if (object == nullptr) return;
    connection.listen(object, kDesktopListener, std::make_unique<Desktop>(Desktop{&desktops, id}));
  }
}

}  // namespace wayland
