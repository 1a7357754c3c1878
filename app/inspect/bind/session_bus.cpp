#include "app/inspect/bind/session_bus.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>

namespace {

// Long enough for a busy desktop, short enough that one that hangs is
// reported rather than waited for.
constexpr std::uint64_t kCallMicroseconds = 5'000'000;

// An error filled in by a call, freed when it goes.
class BusError {
 public:
  ~BusError() { sd_bus_error_free(&error_); }
  sd_bus_error* get() { return &error_; }

 private:
  sd_bus_error error_ = SD_BUS_ERROR_NULL;
};

}  // namespace

SessionBus::SessionBus() {
  if (sd_bus_open_user(&bus_) < 0) {
    bus_ = nullptr;
    error_ = "no session bus (DBUS_SESSION_BUS_ADDRESS)";
    return;
  }
  sd_bus_set_method_call_timeout(bus_, kCallMicroseconds);
}

SessionBus::~SessionBus() { sd_bus_flush_close_unref(bus_); }

BusReply SessionBus::call(const BusObject& object, const char* member, const char* types, ...) {
  if (bus_ == nullptr) return BusReply();
  BusError error;
  sd_bus_message* reply = nullptr;
  va_list arguments;
  va_start(arguments, types);
  const int called = sd_bus_call_methodv(bus_, object.service, object.path, object.interface,
                                         member, error.get(), &reply, types, arguments);
  va_end(arguments);
  if (called >= 0) return BusReply(reply);
  errorName_ = error.get()->name != nullptr ? error.get()->name : "";
  error_ = error.get()->message != nullptr ? error.get()->message : std::strerror(-called);
  return BusReply();
}
