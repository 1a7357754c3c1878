// sway's own IPC, at the socket SWAYSOCK names: the i3 binary protocol, in
// which every message, asked or answered, is the magic "i3-ipc", the
// payload's length and the message's type (each 32 bits, in the machine's
// order), then the payload. Opened only on sway, for what wlroots'
// protocols cannot do: moving a window to another workspace. Every
// exchange ends by the deadline it is given; a sway that has not answered
// by then is not asked again.
#ifndef TARVEXEL_PLATFORM_WAYLAND_SWAY_IPC_H
#define TARVEXEL_PLATFORM_WAYLAND_SWAY_IPC_H

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace wayland {

class SwayIpc {
 public:
  using Deadline = std::chrono::steady_clock::time_point;

  // Null when SWAYSOCK is unset or empty, or names no socket that takes
  // the connection.
  static std::unique_ptr<SwayIpc> open();
  ~SwayIpc();
  SwayIpc(const SwayIpc&) = delete;
  SwayIpc& operator=(const SwayIpc&) = delete;

  // The name of the workspace that has the focus, as sway_reply.h reads
  // it; nullopt when sway does not say in time.
  std::optional<std::string> focusedWorkspace(Deadline deadline);
  // Runs sway commands and waits until they have run; false when sway did
  // not answer in time.
  bool run(std::string_view commands, Deadline deadline);

 private:
  explicit SwayIpc(int fd) : fd_(fd) {}
  std::optional<std::string> exchange(std::uint32_t type, std::string_view payload,
                                      Deadline deadline);
  bool send(std::string_view bytes, Deadline deadline);
  bool receive(char* bytes, std::size_t count, Deadline deadline);

  const int fd_;
  bool failed_ = false;
};

}  // namespace wayland

#endif
