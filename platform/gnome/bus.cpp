#include "platform/gnome/bus.h"

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace gnome {
namespace {

using Clock = std::chrono::steady_clock;

std::uint64_t microseconds(Clock::duration duration) {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(duration).count());
}

// A call's slot: releasing it drops the callback, so a reply that comes
// after we stopped waiting never reaches a record that has gone.
class Slot {
 public:
  Slot(const SdBus& sd, sd_bus_slot* slot) : sd_(sd), slot_(slot) {}
  ~Slot() { sd_.slotUnref(slot_); }
  Slot(const Slot&) = delete;
  Slot& operator=(const Slot&) = delete;

 private:
  const SdBus& sd_;
  sd_bus_slot* const slot_;
};

struct Pending {
  const SdBus& sd;
  Message reply;
};

// sd-bus also answers here for a call that failed on its way: a timeout or
// a lost connection arrives as an error reply.
int onReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
  auto* pending = static_cast<Pending*>(userdata);
  pending->reply = Message(pending->sd, pending->sd.messageRef(reply));
  return 0;
}

}  // namespace

Bus::Bus(const SdBus& sd) : sd_(sd) {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address == nullptr || *address == '\0' || sd_.newBus(&bus_) < 0) return;
  if (sd_.setAddress(bus_, address) < 0 || sd_.setBusClient(bus_, 1) < 0 || sd_.start(bus_) < 0)
    disconnect();
}

Bus::~Bus() { disconnect(); }

Bus::Bus(Bus&& other) noexcept
    : sd_(other.sd_),
      bus_(std::exchange(other.bus_, nullptr)),
      refusal_(std::move(other.refusal_)),
      error_(std::move(other.error_)) {}

void Bus::disconnect() {
  if (bus_ != nullptr) sd_.closeUnref(bus_);
  bus_ = nullptr;
}

Message Bus::newCall(const Method& method) {
  sd_bus_message* raw = nullptr;
  if (bus_ == nullptr || sd_.newMethodCall(bus_, &raw, method.destination, method.path,
                                           method.interface, method.member) < 0)
    return Message(sd_, nullptr);
  return Message(sd_, raw);
}

// Connecting and the bus's greeting are carried out here too, within the
// first call's time: sd-bus starts them without waiting.
Message Bus::call(const Method& method, std::optional<std::uint32_t> id,
                  std::chrono::milliseconds timeout) {
  const Message request = newCall(method);
  if (!request || (id && sd_.append(request.get(), "u", *id) < 0)) return Message(sd_, nullptr);
  return exchange(request, timeout);
}

Message Bus::property(const Method& property, std::chrono::milliseconds timeout) {
  const Message request = newCall(
      {property.destination, property.path, "org.freedesktop.DBus.Properties", "Get"});
  if (!request || sd_.append(request.get(), "ss", property.interface, property.member) < 0)
    return Message(sd_, nullptr);
  return exchange(request, timeout);
}

Message Bus::exchange(const Message& request, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  error_.clear();
  // No time at all is no call: sd-bus would read a timeout of 0 as its own
  // default of 25 seconds. A question to a program that runs, never a
  // reason for the bus to start one.
  if (timeout.count() <= 0 || sd_.setAutoStart(request.get(), 0) < 0)
    return Message(sd_, nullptr);
  Pending pending{sd_, Message(sd_, nullptr)};
  sd_bus_slot* slot = nullptr;
  if (sd_.callAsync(bus_, &slot, request.get(), onReply, &pending, microseconds(timeout)) < 0)
    return Message(sd_, nullptr);
  const Slot release(sd_, slot);
  if (!await(pending.reply, deadline)) {
    disconnect();
    return Message(sd_, nullptr);
  }
  if (sd_.isMethodError(pending.reply.get(), nullptr)) {
    noteError(pending.reply.get());
    return Message(sd_, nullptr);
  }
  return std::move(pending.reply);
}

void Bus::noteError(sd_bus_message* error) {
  const sd_bus_error* said = sd_.getError(error);
  error_ = said != nullptr && said->name != nullptr ? said->name : "";
  if (sd_.isMethodError(error, "org.freedesktop.DBus.Error.AccessDenied") <= 0) return;
  refusal_ = said != nullptr && said->message != nullptr ? said->message : "access denied";
}

bool Bus::await(const Message& reply, Clock::time_point deadline) {
  while (!reply) {
    const int processed = sd_.process(bus_, nullptr);
    if (processed < 0) return false;
    if (processed > 0) continue;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return false;
    const int waited = sd_.wait(bus_, microseconds(deadline - now));
    if (waited < 0 && waited != -EINTR) return false;
  }
  return true;
}

}  // namespace gnome
