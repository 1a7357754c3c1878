#include "platform/wayland/connection.h"

#include <poll.h>
#include <wayland-client-protocol.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <memory>
#include <optional>

#include "platform/wayland/listener.h"
#include "platform/wayland/unix_socket.h"
#include "platform/window_system.h"

namespace wayland {
namespace {

// libwayland reports trouble (a compositor gone, a malformed message) on
// standard error before returning the failure; Tarvexel prints nothing.
void quiet(const char*, va_list) {}

// WAYLAND_DISPLAY is a socket name in XDG_RUNTIME_DIR, or a path.
std::optional<std::string> socketPath() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (name == nullptr || *name == '\0') return std::nullopt;
  if (*name == '/') return std::string(name);
  const char* folder = std::getenv("XDG_RUNTIME_DIR");
  if (folder == nullptr || *folder == '\0') return std::nullopt;
  return std::string(folder) + '/' + name;
}

void onGlobal(void* data, wl_registry*, std::uint32_t name, const char* interface,
              std::uint32_t version) {
  static_cast<std::vector<Global>*>(data)->push_back(Global{name, interface, version});
}

void onGlobalRemoved(void* data, wl_registry*, std::uint32_t name) {
  auto& globals = *static_cast<std::vector<Global>*>(data);
  globals.erase(std::remove_if(globals.begin(), globals.end(),
                               [name](const Global& global) { return global.name == name; }),
                globals.end());
}

constexpr auto kRegistryListener = Listener<wl_registry_listener>()
                                       .on(&wl_registry_listener::global, onGlobal)
                                       .on(&wl_registry_listener::global_remove, onGlobalRemoved)
                                       .complete();

void onCallbackDone(void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }

constexpr auto kCallbackListener =
    Listener<wl_callback_listener>().on(&wl_callback_listener::done, onCallbackDone).complete();

std::unique_ptr<Connection> open() {
  const std::optional<std::string> path = socketPath();
  if (!path) return nullptr;
  const Clock::time_point deadline = choosingEnds();
  const Library* library = wayland::library();
  if (library == nullptr) return nullptr;
  library->setLogHandler(quiet);
  const int fd = connectTo(*path);
  if (fd < 0) return nullptr;
  wl_display* display = library->connectToFd(fd);  // takes the socket, even when it fails
  if (display == nullptr) return nullptr;
  auto connection = std::make_unique<Connection>(*library, display, deadline);
  return connection->roundtrip() ? std::move(connection) : nullptr;
}

}  // namespace

Connection::Connection(const Library& library, wl_display* display, Clock::time_point deadline)
    : library_(library), display_(display), deadline_(deadline) {
  wl_argument id{};
  registry_ = library_.marshal(reinterpret_cast<wl_proxy*>(display_), WL_DISPLAY_GET_REGISTRY,
                               library_.registryInterface, 1, 0, &id);
  if (registry_ == nullptr) {
    failed_ = true;
    return;
  }
  listenWith(registry_, kRegistryListener, &globals_);
}

Connection::~Connection() {
  if (unanswered_ && !failed_) synchronize(Clock::now() + kAnswerTime);
  for (auto object = objects_.rbegin(); object != objects_.rend(); ++object) {
    library_.destroy(*object);
  }
  if (registry_ != nullptr) library_.destroy(registry_);
  library_.disconnect(display_);  // closes the socket
}

const Global* Connection::global(const char* interface) const {
  const auto found = std::find_if(globals_.begin(), globals_.end(), [interface](const Global& g) {
    return g.interface == interface;
  });
  return found == globals_.end() ? nullptr : &*found;
}

wl_proxy* Connection::bind(const Global& global, const wl_interface& interface,
                           std::uint32_t version) {
  if (failed_) return nullptr;
  const std::uint32_t chosen = std::min(version, global.version);
  wl_argument arguments[4]{uintArgument(global.name), {}, uintArgument(chosen), {}};
  arguments[1].s = interface.name;
  wl_proxy* object =
      library_.marshal(registry_, WL_REGISTRY_BIND, &interface, chosen, 0, arguments);
  if (object != nullptr) adopt(object);
  return object;
}

wl_proxy* Connection::create(wl_proxy* parent, std::uint32_t opcode, const wl_interface& interface,
                             std::vector<wl_argument> arguments) {
  if (failed_) return nullptr;
  wl_proxy* object = library_.marshal(parent, opcode, &interface, library_.getVersion(parent), 0,
                                      arguments.data());
  if (object != nullptr) adopt(object);
  return object;
}

// The events that come before the compositor's answer wait in the default
// queue, and are dispatched once it has come.
bool Connection::roundtrip() {
  if (failed_) return false;
  failed_ = !synchronize(deadline_) || library_.dispatchPending(display_) < 0;
  return !failed_;
}

bool Connection::settle(Clock::time_point deadline) {
  if (failed_) return false;
  failed_ = !synchronize(deadline);
  return !failed_;
}

// Waits for the compositor's answer to a "sync" on a queue of its own, so
// that waiting calls no listener but its own.
bool Connection::synchronize(Clock::time_point deadline) {
  wl_event_queue* queue = library_.createQueue(display_);
  if (queue == nullptr) return false;
  auto* wrapper = static_cast<wl_proxy*>(library_.createWrapper(display_));
  bool done = false;
  wl_proxy* callback = nullptr;
  if (wrapper != nullptr) {
    library_.setQueue(wrapper, queue);
    wl_argument id{};
    callback =
        library_.marshal(wrapper, WL_DISPLAY_SYNC, library_.callbackInterface, 1, 0, &id);
    library_.destroyWrapper(wrapper);
  }
  if (callback != nullptr) {
    listenWith(callback, kCallbackListener, &done);
    dispatchUntil(queue, done, deadline);
    library_.destroy(callback);
  }
  library_.destroyQueue(queue);
  unanswered_ = false;
  return done;
}

// libwayland's own roundtrip would wait for ever; this is its reading loop
// with every wait bounded by the deadline.
bool Connection::dispatchUntil(wl_event_queue* queue, const bool& done,
                               Clock::time_point deadline) {
  while (!done) {
    while (library_.prepareReadQueue(display_, queue) != 0) {
      if (library_.dispatchQueuePending(display_, queue) < 0) return false;
    }
    if (done) {  // answered by events already read
      library_.cancelRead(display_);
      break;
    }
    if (!flushBefore(deadline) || !waitFor(library_.getFd(display_), POLLIN, deadline)) {
      library_.cancelRead(display_);
      return false;
    }
    if (library_.readEvents(display_) < 0 || library_.dispatchQueuePending(display_, queue) < 0) {
      return false;
    }
  }
  return true;
}

bool Connection::flushBefore(Clock::time_point deadline) {
  while (library_.flush(display_) < 0) {
    if (errno != EAGAIN || !waitFor(library_.getFd(display_), POLLOUT, deadline)) return false;
  }
  return true;
}

void Connection::send(wl_proxy* object, std::uint32_t opcode, std::vector<wl_argument> arguments) {
  if (failed_) return;
  arguments.emplace_back();  // never an empty array to pass
  library_.marshal(object, opcode, nullptr, library_.getVersion(object), 0, arguments.data());
  unanswered_ = true;
  failed_ = !flushBefore(Clock::now() + kAnswerTime);
}

Connection* connection() {
  static const std::unique_ptr<Connection> opened = open();
  return opened.get();
}

}  // namespace wayland
