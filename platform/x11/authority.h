// The authorisation a connection to an X server presents: the cookie the
// session keeps for that display in its authority file (XAUTHORITY, or
// ~/.Xauthority), as libxcb would find it.
#ifndef TARVEXEL_PLATFORM_X11_AUTHORITY_H
#define TARVEXEL_PLATFORM_X11_AUTHORITY_H

#include <cstdint>
#include <optional>
#include <string>

namespace x11 {

// The address families of the authority file.
constexpr std::uint16_t kFamilyInternet = 0;
constexpr std::uint16_t kFamilyInternet6 = 6;
constexpr std::uint16_t kFamilyLocal = 256;
constexpr std::uint16_t kFamilyWild = 65535;

// The only scheme Tarvexel presents.
constexpr char kMagicCookie[] = "MIT-MAGIC-COOKIE-1";

// Whom the connection reached: a local server is named by this host's name.
struct ServerAddress {
  std::uint16_t family;
  std::string address;
  int number;
};

// The cookie of the first entry of `file` (the authority file's bytes)
// that is for `server`; nullopt when none is.
std::optional<std::string> findCookie(const std::string& file, const ServerAddress& server);

// The same, read from the session's authority file.
std::optional<std::string> sessionCookie(const ServerAddress& server);

}  // namespace x11

#endif
