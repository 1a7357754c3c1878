#include "platform/x11/display_name.h"

#include <cstdlib>

namespace x11 {
namespace {

// A decimal number of at most six digits: display and screen numbers are
// small, and a longer one would overflow the port.
std::optional<int> smallNumber(const std::string& digits) {
  if (digits.empty() || digits.size() > 6) return std::nullopt;
  int value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::optional<DisplayName> parseDisplayName(const std::string& name) {
  const std::size_t colon = name.rfind(':');
  if (colon == std::string::npos) return std::nullopt;
  DisplayName display;
  std::string host = name.substr(0, colon);
  if (!host.empty() && host.back() == ':') return std::nullopt;  // DECnet
  if (!name.empty() && name[0] == '/') {
    display.socketPath = host;
    host.clear();
  } else if (const std::size_t slash = host.find('/'); slash != std::string::npos) {
    const std::string protocol = host.substr(0, slash);
    host.erase(0, slash + 1);
    if (protocol == "tcp") {
      if (host.empty()) host = "localhost";
    } else if (protocol != "unix" || (!host.empty() && host != "unix")) {
      return std::nullopt;
    }
  }
  if (host == "unix") host.clear();
  if (host.size() > 2 && host.front() == '[' && host.back() == ']')
    host = host.substr(1, host.size() - 2);
  display.host = host;

  const std::string rest = name.substr(colon + 1);
  const std::size_t dot = rest.find('.');
  const std::optional<int> number = smallNumber(rest.substr(0, dot));
  if (!number) return std::nullopt;
  display.number = *number;
  if (dot != std::string::npos) {
    const std::optional<int> screen = smallNumber(rest.substr(dot + 1));
    if (!screen) return std::nullopt;
    display.screen = *screen;
  }
  return display;
}

}  // namespace x11
