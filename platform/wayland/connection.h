// The Wayland compositor a run talks to: one connection, opened on the
// first window call when WAYLAND_DISPLAY names a compositor, and closed
// when the program ends. Every wait on the compositor is bounded: one that
// does not answer within about a second counts as none, and one that has
// gone answers nothing, without ending or disturbing the run.
#ifndef TARVEXEL_PLATFORM_WAYLAND_CONNECTION_H
#define TARVEXEL_PLATFORM_WAYLAND_CONNECTION_H

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/wayland/library.h"

namespace wayland {

using Clock = std::chrono::steady_clock;

// How long the compositor has to answer a request sent after the windows
// were read. Connecting and reading the windows share the time left for
// choosing the window system (platform/window_system.h).
constexpr std::chrono::milliseconds kAnswerTime{1000};

struct Global {
  std::uint32_t name;
  std::string interface;
  std::uint32_t version;
};

inline wl_argument uintArgument(std::uint32_t value) {
  wl_argument argument{};
  argument.u = value;
  return argument;
}

inline wl_argument stringArgument(const char* text) {
  wl_argument argument{};
  argument.s = text;
  return argument;
}

inline wl_argument objectArgument(wl_proxy* object) {
  wl_argument argument{};
  argument.o = reinterpret_cast<wl_object*>(object);
  return argument;
}

class Connection {
 public:
  Connection(const Library& library, wl_display* display, Clock::time_point deadline);
  // Waits (boundedly) until the compositor has handled the requests sent,
  // then disconnects: a compositor may drop what a client sent just before
  // hanging up. No listener is called any more.
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const Library& library() const { return library_; }

  // The first global of that interface the compositor offers, or null.
  const Global* global(const char* interface) const;

  // Binds `global` at its version or `version`, whichever is lower; the
  // object lives as long as the connection. Null when the connection
  // has failed.
  wl_proxy* bind(const Global& global, const wl_interface& interface, std::uint32_t version);

  // Sends a request that creates an object (its new id is the argument
  // left empty in `arguments`); the object lives as long as the
  // connection. Null when the connection has failed.
  wl_proxy* create(wl_proxy* parent, std::uint32_t opcode, const wl_interface& interface,
                   std::vector<wl_argument> arguments);

  // Hands the object's events to the functions of `listener`, a listener
  // struct of the generated header, with `data`. libwayland may call a
  // listener for as long as its object lives, so the connection keeps the
  // data as long as it keeps the object: it destroys every object before
  // any of that data.
  template <typename Listener, typename Data>
  Data& listen(void* object, const Listener& listener, std::unique_ptr<Data> data) {
    Data& kept = *data;
    kept_.push_back(std::shared_ptr<void>(std::move(data)));
    listenWith(object, listener, &kept);
    return kept;
  }

  // Lets the connection destroy an object the compositor created for us
  // (such as a window's handle) when it closes.
  void adopt(wl_proxy* object) { objects_.push_back(object); }

  // Dispatches events until the compositor has answered everything asked
  // so far; false when it failed, went away or missed the deadline given
  // at connecting. The connection is then of no further use.
  bool roundtrip();

  // Waits until the compositor has handled every request sent so far, for
  // a run that acts on what they did; false, and of no further use, when
  // it fails, goes away or misses the deadline. Dispatches nothing.
  bool settle(Clock::time_point deadline);

  // Sends a request that creates no object, at once: a "sleep" or an
  // "execSync" may follow it in the section.
  void send(wl_proxy* object, std::uint32_t opcode, std::vector<wl_argument> arguments = {});

 private:
  // For the connection's own objects, whose data it owns directly or
  // outlives.
  template <typename Listener>
  void listenWith(void* object, const Listener& listener, void* data) const {
    library_.addListener(static_cast<wl_proxy*>(object),
                         reinterpret_cast<void (**)(void)>(const_cast<Listener*>(&listener)), data);
  }
  bool synchronize(Clock::time_point deadline);
  bool dispatchUntil(wl_event_queue* queue, const bool& done, Clock::time_point deadline);
  bool flushBefore(Clock::time_point deadline);

  const Library& library_;
  wl_display* const display_;
  const Clock::time_point deadline_;
  wl_proxy* registry_ = nullptr;
  std::vector<Global> globals_;
  std::vector<wl_proxy*> objects_;
  // What the listeners of objects_ are given: destroyed with the members,
  // after the destructor's body has destroyed every object.
  std::vector<std::shared_ptr<void>> kept_;
  bool failed_ = false;
  bool unanswered_ = false;  // requests sent since the last roundtrip
};

// The run's connection; null when WAYLAND_DISPLAY is unset or empty,
// libwayland-client is missing, or the compositor cannot be reached or
// does not answer in time. libwayland-client is not even loaded unless
// WAYLAND_DISPLAY names a compositor.
Connection* connection();

}  // namespace wayland

#endif
