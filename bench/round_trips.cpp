#include "bench/round_trips.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string socketPath(int number) { return "/tmp/.X11-unix/X" + std::to_string(number); }

// Clients try the abstract socket of a display first, then the file: the
// go-between listens on the abstract one, so that no other server can
// hold that number meanwhile, and connects to the server by its file.
int unixSocket(const std::string& path, bool listen) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t start = listen ? 1 : 0;  // abstract: a NUL, then the name
  path.copy(address.sun_path + start, sizeof address.sun_path - 1 - start);
  const auto length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + start + path.size() + !listen);
  auto* generic = reinterpret_cast<sockaddr*>(&address);
  const bool ok = listen ? ::bind(fd, generic, length) == 0 && ::listen(fd, 4) == 0
                         : ::connect(fd, generic, length) == 0;
  if (ok) return fd;
  ::close(fd);
  return -1;
}

struct Held {
  Clock::time_point due;
  std::string bytes;
};

bool sendAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

DelayingDisplay::DelayingDisplay(const std::string& display)
    : upstream_(socketPath(std::stoi(display.substr(1)))) {
  for (int number = 600; number < 700 && listener_ < 0; ++number) {
    if (::access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0) continue;
    if (::access(socketPath(number).c_str(), F_OK) == 0) continue;
    listener_ = unixSocket(socketPath(number), true);
    if (listener_ >= 0) name_ = ":" + std::to_string(number);
  }
  if (listener_ >= 0) thread_ = std::thread(&DelayingDisplay::serve, this);
}

DelayingDisplay::~DelayingDisplay() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) ::close(listener_);
}

void DelayingDisplay::serve() {
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 100) <= 0) continue;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    relay(client);
    ::close(client);
  }
}

// Requests go on at once; answers wait in line until they are due.
void DelayingDisplay::relay(int client) {
  const int server = unixSocket(upstream_, false);
  if (server < 0) return;
  std::deque<Held> held;
  std::vector<char> buffer(1 << 16);
  bool open = true;
  while (open && !stopping_) {
    int timeout = 100;
    if (!held.empty()) {
      const auto wait =
          std::chrono::duration_cast<std::chrono::milliseconds>(held.front().due - Clock::now());
      timeout = static_cast<int>(std::max<long long>(0, wait.count()));
    }
    pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
    ::poll(ends, 2, timeout);
    if (ends[0].revents) {
      const ssize_t n = ::recv(client, buffer.data(), buffer.size(), 0);
      open = n > 0 && sendAll(server, std::string(buffer.data(), static_cast<std::size_t>(n)));
    }
    if (open && ends[1].revents) {
      const ssize_t n = ::recv(server, buffer.data(), buffer.size(), 0);
      if (n > 0)
        held.push_back({Clock::now() + std::chrono::milliseconds(holdMs_.load()),
                        std::string(buffer.data(), static_cast<std::size_t>(n))});
      open = n > 0;
    }
    while (open && !held.empty() && held.front().due <= Clock::now()) {
      open = sendAll(client, held.front().bytes);
      held.pop_front();
    }
  }
  ::close(server);
}
