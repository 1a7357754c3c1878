#include "platform/x11/display_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/x11/authority.h"
#include "platform/x11/display_name.h"
#include "platform/x11/host_address.h"

namespace x11 {
namespace {

constexpr int kFirstPort = 6000;
constexpr char kSocketFolder[] = "/tmp/.X11-unix/X";

// Connects a socket that never blocks. A local server too busy to take the
// connection counts as none; a TCP connection in progress is waited for
// until the deadline.
int connectTo(const sockaddr* address, socklen_t length, const Deadline& deadline) {
  const int fd = ::socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  if (::connect(fd, address, length) == 0) return fd;
  if (errno == EINPROGRESS) {
    while (deadline.remaining() > 0) {
      pollfd ready{fd, POLLOUT, 0};
      const int got = ::poll(&ready, 1, deadline.remaining());
      if (got < 0 && errno == EINTR) continue;
      int error = 0;
      socklen_t size = sizeof error;
      if (got > 0 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
        return fd;
      break;
    }
  }
  ::close(fd);
  return -1;
}

// The abstract name first, as libxcb tries it: a server in another mount
// namespace (a container, a sandbox) can still be reached through it.
int connectLocal(const std::string& path, bool abstract, const Deadline& deadline) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;
  if (path.size() + offset >= sizeof address.sun_path) return -1;
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  // An abstract name is exactly its bytes; a path ends with its NUL.
  const std::size_t nameBytes = offset + path.size() + (abstract ? 0 : 1);
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + nameBytes);
  return connectTo(reinterpret_cast<const sockaddr*>(&address), length, deadline);
}

int connectTcp(const std::string& host, int number, const Deadline& deadline) {
  int fd = -1;
  for (const SocketAddress& address : hostAddresses(host, kFirstPort + number, deadline.end())) {
    if (deadline.remaining() == 0) break;
    fd = connectTo(address.get(), address.length, deadline);
    if (fd >= 0) break;
  }
  if (fd >= 0) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  }
  return fd;
}

int connectSocket(const DisplayName& name, const Deadline& deadline) {
  if (!name.socketPath.empty()) return connectLocal(name.socketPath, false, deadline);
  if (!name.host.empty()) return connectTcp(name.host, name.number, deadline);
  const std::string path = kSocketFolder + std::to_string(name.number);
  const int fd = connectLocal(path, true, deadline);
  return fd >= 0 ? fd : connectLocal(path, false, deadline);
}

std::string hostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

// As libxcb names the server to the authority file: a local one (also over
// the loopback) by this host's name, another by its address.
ServerAddress serverAddress(int fd, int number) {
  ServerAddress server{kFamilyLocal, hostName(), number};
  sockaddr_storage peer{};
  socklen_t size = sizeof peer;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &size) != 0) return server;
  if (peer.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(peer);
    if ((ntohl(v4.sin_addr.s_addr) >> 24) == 127) return server;
    server.family = kFamilyInternet;
    server.address.assign(reinterpret_cast<const char*>(&v4.sin_addr), 4);
  } else if (peer.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(peer);
    if (IN6_IS_ADDR_LOOPBACK(&v6.sin6_addr)) return server;
    const char* bytes = reinterpret_cast<const char*>(&v6.sin6_addr);
    if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr)) {
      if (static_cast<unsigned char>(bytes[12]) == 127) return server;
      server.family = kFamilyInternet;
      server.address.assign(bytes + 12, 4);
    } else {
      server.family = kFamilyInternet6;
      server.address.assign(bytes, 16);
    }
  }
  return server;
}

}  // namespace

std::optional<DisplaySocket> connectDisplay(const std::string& text, const Deadline& deadline) {
  const std::optional<DisplayName> name = parseDisplayName(text);
  if (!name) return std::nullopt;
  const int fd = connectSocket(*name, deadline);
  if (fd < 0) return std::nullopt;
  return DisplaySocket{fd, name->screen, sessionCookie(serverAddress(fd, name->number))};
}

}  // namespace x11
