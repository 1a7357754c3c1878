// The addresses of the host an X display names, found without outlasting
// the run's deadline. getaddrinfo has no time limit of its own: a name
// server that does not answer holds it for as long as the resolver's
// configuration says (five seconds a try, two tries, by default).
#ifndef TARVEXEL_PLATFORM_X11_HOST_ADDRESS_H
#define TARVEXEL_PLATFORM_X11_HOST_ADDRESS_H

#include <netdb.h>
#include <sys/socket.h>

#include <string>
#include <vector>

#include "platform/x11/deadline.h"

namespace x11 {

struct SocketAddress {
  sockaddr_storage storage;
  socklen_t length;

  const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
};

// A stand-in for getaddrinfo in a test; what it finds is freed with
// freeaddrinfo.
using Resolver = int (*)(const char* host, const char* service, const addrinfo* hints,
                         addrinfo** found);

// The stream addresses of `host` at `port`, in the order to try them; empty
// when none was found by `end`. A numeric address and "localhost" (the
// loopback addresses) are known at once; any other name is handed to
// the resolver (getaddrinfo, or `resolve` when given) on a thread of its
// own, which is abandoned, left to finish and free what it finds, when
// `end` comes first.
std::vector<SocketAddress> hostAddresses(const std::string& host, int port, Clock::time_point end,
                                         Resolver resolve = nullptr);

}  // namespace x11

#endif
