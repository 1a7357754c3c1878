#include "platform/wayland/sway_ipc.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/wayland/sway_reply.h"
#include "platform/wayland/unix_socket.h"

namespace wayland {
namespace {

constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::size_t kHeaderSize = sizeof kMagic + 2 * sizeof(std::uint32_t);
constexpr std::uint32_t kRunCommand = 0;
constexpr std::uint32_t kGetWorkspaces = 1;
// Far more than the workspaces of any desktop take (a few hundred bytes
// each): a longer answer is not read.
constexpr std::uint32_t kLongestReply = 1 << 20;

std::string header(std::uint32_t length, std::uint32_t type) {
  std::string bytes(kMagic, sizeof kMagic);
  bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
  bytes.append(reinterpret_cast<const char*>(&type), sizeof type);
  return bytes;
}

}  // namespace

std::unique_ptr<SwayIpc> SwayIpc::open() {
  const char* path = std::getenv("SWAYSOCK");
  if (path == nullptr || *path == '\0') return nullptr;
  const int fd = connectTo(path);
  return fd < 0 ? nullptr : std::unique_ptr<SwayIpc>(new SwayIpc(fd));
}

SwayIpc::~SwayIpc() { ::close(fd_); }

std::optional<std::string> SwayIpc::focusedWorkspace(Deadline deadline) {
  const std::optional<std::string> reply = exchange(kGetWorkspaces, {}, deadline);
  return reply ? focusedWorkspaceIn(*reply) : std::nullopt;
}

bool SwayIpc::run(std::string_view commands, Deadline deadline) {
  return exchange(kRunCommand, commands, deadline).has_value();
}

// One message out, its answer in. After an answer of another type, too
// long or not whole in time, nothing more is asked: the two sides no longer
// agree where a message starts.
std::optional<std::string> SwayIpc::exchange(std::uint32_t type, std::string_view payload,
                                             Deadline deadline) {
  if (failed_ || payload.size() > kLongestReply) return std::nullopt;
  failed_ = true;  // until the whole answer is in
  char answer[kHeaderSize];
  if (!send(header(static_cast<std::uint32_t>(payload.size()), type), deadline) ||
      !send(payload, deadline) || !receive(answer, kHeaderSize, deadline))
    return std::nullopt;
  std::uint32_t length = 0;
  std::uint32_t answered = 0;
  std::memcpy(&length, answer + sizeof kMagic, sizeof length);
  std::memcpy(&answered, answer + sizeof kMagic + sizeof length, sizeof answered);
  if (std::memcmp(answer, kMagic, sizeof kMagic) != 0 || answered != type ||
      length > kLongestReply)
    return std::nullopt;
  std::string reply(length, '\0');
  if (!receive(reply.data(), length, deadline)) return std::nullopt;
  failed_ = false;
  return reply;
}

bool SwayIpc::send(std::string_view bytes, Deadline deadline) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    } else if ((sent < 0 && errno != EAGAIN && errno != EINTR) ||
               !waitFor(fd_, POLLOUT, deadline)) {
      return false;
    }
  }
  return true;
}

bool SwayIpc::receive(char* bytes, std::size_t count, Deadline deadline) {
  while (count > 0) {
    const ssize_t got = ::recv(fd_, bytes, count, 0);
    if (got > 0) {
      bytes += got;
      count -= static_cast<std::size_t>(got);
    } else if (got == 0 || (errno != EAGAIN && errno != EINTR) ||
               !waitFor(fd_, POLLIN, deadline)) {
      return false;
    }
  }
  return true;
}

}  // namespace wayland
