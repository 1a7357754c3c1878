#include "platform/x11/host_address.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace x11 {
namespace {

std::vector<SocketAddress> copied(const addrinfo* list) {
  std::vector<SocketAddress> addresses;
  for (const addrinfo* at = list; at != nullptr; at = at->ai_next) {
    if (at->ai_addrlen > sizeof(sockaddr_storage)) continue;
    SocketAddress address{};
    std::memcpy(&address.storage, at->ai_addr, at->ai_addrlen);
    address.length = at->ai_addrlen;
    addresses.push_back(address);
  }
  return addresses;
}

std::vector<SocketAddress> lookUp(Resolver resolve, const std::string& host,
                                  const std::string& port, int flags) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV | flags;
  addrinfo* found = nullptr;
  // getaddrinfo called, not passed: its address taken would cost the loader
  // a lookup on every run, with or without a display.
  const int failed = resolve != nullptr ? resolve(host.c_str(), port.c_str(), &hints, &found)
                                        : ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
  if (failed != 0) return {};
  std::vector<SocketAddress> addresses = copied(found);
  ::freeaddrinfo(found);
  return addresses;
}

bool isLocalhost(const std::string& host) {
  return host.size() == 9 && std::equal(host.begin(), host.end(), "localhost", [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

// What the resolver's thread and the thread that waits for it share; the
// last of the two to let go frees it.
struct Lookup {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::vector<SocketAddress> addresses;
};

void resolveInto(const std::shared_ptr<Lookup>& lookup, Resolver resolve, const std::string& host,
                 const std::string& port) {
  std::vector<SocketAddress> addresses = lookUp(resolve, host, port, 0);
  const std::lock_guard<std::mutex> lock(lookup->mutex);
  lookup->addresses = std::move(addresses);
  lookup->finished = true;
  lookup->done.notify_all();
}

// Starts the lookup on a thread that takes no signals, so that the
// deadline's timer always reaches the thread that waits; false when no
// thread could be started.
bool startLookup(const std::shared_ptr<Lookup>& lookup, Resolver resolve, const std::string& host,
                 const std::string& port) {
  sigset_t all;
  sigset_t saved;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &saved);
  bool started = true;
  try {
    std::thread(resolveInto, lookup, resolve, host, port).detach();
  } catch (const std::system_error&) {
    started = false;
  }
  pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  return started;
}

}  // namespace

std::vector<SocketAddress> hostAddresses(const std::string& host, int port, Clock::time_point end,
                                         Resolver resolve) {
  const std::string service = std::to_string(port);
  if (isLocalhost(host)) {
    std::vector<SocketAddress> addresses = lookUp(nullptr, "::1", service, AI_NUMERICHOST);
    for (const SocketAddress& v4 : lookUp(nullptr, "127.0.0.1", service, AI_NUMERICHOST))
      addresses.push_back(v4);
    return addresses;
  }
  // A numeric address never reaches the resolver.
  std::vector<SocketAddress> numeric = lookUp(nullptr, host, service, AI_NUMERICHOST);
  if (!numeric.empty() || Clock::now() >= end) return numeric;

  const auto lookup = std::make_shared<Lookup>();
  if (!startLookup(lookup, resolve, host, service)) return {};
  std::unique_lock<std::mutex> lock(lookup->mutex);
  if (!lookup->done.wait_until(lock, end, [&lookup] { return lookup->finished; })) return {};
  return std::move(lookup->addresses);
}

}  // namespace x11
