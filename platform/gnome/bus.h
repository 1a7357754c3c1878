// The session bus, as a run uses it: one connection, opened when the GNOME
// service is first asked, and calls that are answered within a bounded time
// or count as failed, so that a shell that hangs or ends mid-run can never
// hold the launcher up.
#ifndef TARVEXEL_PLATFORM_GNOME_BUS_H
#define TARVEXEL_PLATFORM_GNOME_BUS_H

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/gnome/sd_bus.h"

namespace gnome {

// A message of ours, released when it goes; empty stands for a failed call.
class Message {
 public:
  Message(const SdBus& sd, sd_bus_message* message) : sd_(&sd), message_(message) {}
  Message(Message&& other) noexcept : sd_(other.sd_), message_(other.message_) {
    other.message_ = nullptr;
  }
  Message& operator=(Message&& other) noexcept {
    std::swap(message_, other.message_);
    return *this;
  }
  ~Message() {
    if (message_ != nullptr) sd_->messageUnref(message_);
  }
  Message(const Message&) = delete;
  Message& operator=(const Message&) = delete;

  sd_bus_message* get() const { return message_; }
  explicit operator bool() const { return message_ != nullptr; }

 private:
  const SdBus* sd_;
  sd_bus_message* message_;
};

// Where a method lives on the bus.
struct Method {
  const char* destination;
  const char* path;
  const char* interface;
  const char* member;
};

class Bus {
 public:
  // Connects to the bus DBUS_SESSION_BUS_ADDRESS names; without one, or
  // when the connection cannot be started, every call fails at once.
  explicit Bus(const SdBus& sd);
  ~Bus();
  Bus(Bus&& other) noexcept;
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;

  // Calls `method`, with `id` as its one argument if given. The reply, or
  // an empty message when the bus or the method answered with an error or
  // nothing came within `timeout`. A call that goes unanswered ends the
  // connection: a peer that does not answer one call would hold up the next.
  Message call(const Method& method, std::optional<std::uint32_t> id,
               std::chrono::milliseconds timeout);

  // Reads the property `property.member` of the object `property` names
  // (org.freedesktop.DBus.Properties.Get): the reply holds it in a variant.
  // Bounded and failing as call() is.
  Message property(const Method& property, std::chrono::milliseconds timeout);

  // What the peer said when it last refused a call as not allowed to this
  // program (org.freedesktop.DBus.Error.AccessDenied); empty when it has not.
  const std::string& refusal() const { return refusal_; }

  // The name of the error the last call was answered with; empty when it
  // was answered with a value, or not at all.
  const std::string& error() const { return error_; }

 private:
  // A new call of `method`, not yet sent; empty when there is no bus.
  Message newCall(const Method& method);
  Message exchange(const Message& request, std::chrono::milliseconds timeout);
  bool await(const Message& reply, std::chrono::steady_clock::time_point deadline);
  void disconnect();
  void noteError(sd_bus_message* error);

  const SdBus& sd_;
  sd_bus* bus_ = nullptr;
  std::string refusal_;
  std::string error_;
};

}  // namespace gnome

#endif
