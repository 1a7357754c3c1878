// The socket to the X server DISPLAY names, connected by Tarvexel itself
// without ever blocking, so that the deadline knows the socket from the
// start, with the cookie the server expects.
#ifndef TARVEXEL_PLATFORM_X11_DISPLAY_SOCKET_H
#define TARVEXEL_PLATFORM_X11_DISPLAY_SOCKET_H

#include <optional>
#include <string>

#include "platform/x11/deadline.h"

namespace x11 {

struct DisplaySocket {
  int fd;
  int screen;
  std::optional<std::string> cookie;  // MIT-MAGIC-COOKIE-1, when the session has one
};

// Nullopt when the name is malformed or no address of it took the
// connection before the deadline. The caller owns the descriptor.
std::optional<DisplaySocket> connectDisplay(const std::string& name, const Deadline& deadline);

}  // namespace x11

#endif
