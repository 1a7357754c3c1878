// The user's session bus, where KDE's kglobalaccel takes its keys and GNOME
// Shell says which extensions it runs. tarvexel-inspect links sd-bus
// (libsystemd) for it; the launcher itself does not.
#ifndef TARVEXEL_APP_INSPECT_BIND_SESSION_BUS_H
#define TARVEXEL_APP_INSPECT_BIND_SESSION_BUS_H

#include <systemd/sd-bus.h>

#include <string>
#include <utility>

// A reply, released when it goes; empty for a call that failed.
class BusReply {
 public:
  explicit BusReply(sd_bus_message* message = nullptr) : message_(message) {}
  BusReply(BusReply&& other) noexcept : message_(std::exchange(other.message_, nullptr)) {}
  BusReply& operator=(BusReply&& other) noexcept {
    std::swap(message_, other.message_);
    return *this;
  }
  ~BusReply() { sd_bus_message_unref(message_); }
  BusReply(const BusReply&) = delete;
  BusReply& operator=(const BusReply&) = delete;

  sd_bus_message* get() const { return message_; }
  explicit operator bool() const { return message_ != nullptr; }

 private:
  sd_bus_message* message_;
};

// An object of a service on the bus, and the interface its calls go to.
struct BusObject {
  const char* service;
  const char* path;
  const char* interface;
};

class SessionBus {
 public:
  // Connects to the bus DBUS_SESSION_BUS_ADDRESS names (or the user's
  // bus in XDG_RUNTIME_DIR); each call then waits at most a few seconds.
  SessionBus();
  ~SessionBus();
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  bool connected() const { return bus_ != nullptr; }

  // Calls `member` with the arguments `types` describes, appended as
  // sd_bus_message_append takes them. The reply, or an empty one with
  // error() saying why.
  BusReply call(const BusObject& object, const char* member, const char* types, ...);

  // The error of the last call that failed, as the bus or the service put it.
  const std::string& error() const { return error_; }
  const std::string& errorName() const { return errorName_; }

 private:
  sd_bus* bus_ = nullptr;
  std::string error_;
  std::string errorName_;
};

#endif
