// The Unix sockets a run talks to a compositor through: its Wayland socket
// and, on sway, its IPC socket. Neither connecting nor waiting ever
// outlasts the deadline it is given.
#ifndef TARVEXEL_PLATFORM_WAYLAND_UNIX_SOCKET_H
#define TARVEXEL_PLATFORM_WAYLAND_UNIX_SOCKET_H

#include <chrono>
#include <string>

namespace wayland {

// A non-blocking connection to the socket at `path`, or -1. A compositor
// too busy to take the connection (its queue of callers full) counts as
// none, as one that never answers does: connecting never waits.
int connectTo(const std::string& path);

// Waits for `events` on `fd` until the deadline; false when it passed.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline);

}  // namespace wayland

#endif
