// Where an X display named by DISPLAY listens, as libxcb reads the name:
// [protocol/][host]:number[.screen]. No host (or "unix") is the local
// server, reached through its abstract socket or /tmp/.X11-unix/X<number>;
// a host is reached over TCP, port 6000 + number; a name that starts with
// "/" is the path of the socket itself, before the last colon.
#ifndef TARVEXEL_PLATFORM_X11_DISPLAY_NAME_H
#define TARVEXEL_PLATFORM_X11_DISPLAY_NAME_H

#include <optional>
#include <string>

namespace x11 {

struct DisplayName {
  std::string host;        // empty for the local server
  std::string socketPath;  // set when the name gave the socket's path
  int number = 0;
  int screen = 0;
};

// Nullopt for a name that is malformed or names a transport Tarvexel does
// not speak (DECnet's "host::number", a protocol other than unix or tcp).
std::optional<DisplayName> parseDisplayName(const std::string& name);

}  // namespace x11

#endif
