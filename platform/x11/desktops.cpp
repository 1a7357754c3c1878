#include "platform/x11/desktops.h"

namespace x11 {
namespace {

// _NET_WM_DESKTOP of a window shown on every desktop.
constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;

std::optional<std::uint32_t> numberIn(const Property& property) {
  if (property.type != XCB_ATOM_CARDINAL || property.items.empty()) return std::nullopt;
  return property.items.front();
}

}  // namespace

DesktopQuestion::DesktopQuestion(Connection& connection, const ClientWindows& windows,
                                 xcb_window_t window)
    : connection_(connection) {
  if (!windows.managed() || !windows.offers(Name::currentDesktop) ||
      !windows.offers(Name::wmDesktop))
    return;
  user_ = connection.requestProperty(connection.root, connection.atom(Name::currentDesktop), 1);
  window_ = connection.requestProperty(window, connection.atom(Name::wmDesktop), 1);
  asked_ = true;
}

std::optional<Apart> DesktopQuestion::await(const Deadline& deadline) {
  if (!asked_) return std::nullopt;
  asked_ = false;
  const std::optional<std::uint32_t> user = numberIn(connection_.awaitProperty(user_, deadline));
  const std::optional<std::uint32_t> window =
      numberIn(connection_.awaitProperty(window_, deadline));
  if (!user || !window || *window == kAllDesktops || *window == *user) return std::nullopt;
  return Apart{*user, *window};
}

}  // namespace x11
