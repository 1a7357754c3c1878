// Virtual desktops as an EWMH window manager keeps them: the one the user
// is on (_NET_CURRENT_DESKTOP on the root) and the one each window is on
// (_NET_WM_DESKTOP). A window manager that keeps none (twm) has neither.
#ifndef TARVEXEL_PLATFORM_X11_DESKTOPS_H
#define TARVEXEL_PLATFORM_X11_DESKTOPS_H

#include <cstdint>
#include <optional>

#include "platform/x11/client_windows.h"
#include "platform/x11/connection.h"

namespace x11 {

// A window on one desktop while the user is on another.
struct Apart {
  std::uint32_t user;
  std::uint32_t window;
};

// Where the user and a window are, asked together with the requests that
// follow and awaited after them, so that asking costs no round trip of its
// own.
class DesktopQuestion {
 public:
  // Asks nothing where the window manager keeps no desktops.
  DesktopQuestion(Connection& connection, const ClientWindows& windows, xcb_window_t window);
  // Once: the two desktops when they differ. Nullopt when they are the
  // same, when the window is on every desktop, or when either is unknown.
  std::optional<Apart> await(const Deadline& deadline);

 private:
  Connection& connection_;
  bool asked_ = false;
  unsigned int user_ = 0;
  unsigned int window_ = 0;
};

}  // namespace x11

#endif
