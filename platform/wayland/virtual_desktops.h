// KDE Plasma's virtual desktops, as KWin's virtual desktop management tells
// them: only which one the user is on, read with the windows and in the
// same roundtrips, for bringing a window to it.
#ifndef TARVEXEL_PLATFORM_WAYLAND_VIRTUAL_DESKTOPS_H
#define TARVEXEL_PLATFORM_WAYLAND_VIRTUAL_DESKTOPS_H

#include <string>
#include <vector>

#include "platform/wayland/connection.h"

namespace wayland {

struct VirtualDesktops {
  wl_proxy* manager = nullptr;
  // As KWin announced them.
  std::vector<std::string> ids;
  // The one KWin marks as activated: the current desktop (with a desktop
  // for each screen, that of the active screen). Empty until it is told,
  // and where the compositor offers no virtual desktops.
  std::string current;
};

// Binds the virtual desktop management: the next roundtrip brings the
// desktops' ids. They live as long as the connection; null where the
// compositor offers no virtual desktops or the connection has failed.
VirtualDesktops* bindVirtualDesktops(Connection& connection);

// Asks for each desktop announced: the next roundtrip tells the current
// one.
void askForVirtualDesktops(Connection& connection, VirtualDesktops& desktops);

}  // namespace wayland

#endif
