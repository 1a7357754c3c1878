// libsystemd's D-Bus client (sd-bus), opened at run time
// (platform/posix/shared_library.h): only a run that asks a GNOME session
// for its windows maps it.
#ifndef TARVEXEL_PLATFORM_GNOME_SD_BUS_H
#define TARVEXEL_PLATFORM_GNOME_SD_BUS_H

#include <systemd/sd-bus.h>

namespace gnome {

// The sd-bus calls Tarvexel makes, each looked up by its name.
struct SdBus {
  decltype(&::sd_bus_new) newBus = nullptr;
  decltype(&::sd_bus_set_address) setAddress = nullptr;
  decltype(&::sd_bus_set_bus_client) setBusClient = nullptr;
  decltype(&::sd_bus_start) start = nullptr;
  decltype(&::sd_bus_close_unref) closeUnref = nullptr;
  decltype(&::sd_bus_process) process = nullptr;
  decltype(&::sd_bus_wait) wait = nullptr;
  decltype(&::sd_bus_call_async) callAsync = nullptr;
  decltype(&::sd_bus_slot_unref) slotUnref = nullptr;
  decltype(&::sd_bus_message_new_method_call) newMethodCall = nullptr;
  decltype(&::sd_bus_message_set_auto_start) setAutoStart = nullptr;
  decltype(&::sd_bus_message_append) append = nullptr;
  decltype(&::sd_bus_message_ref) messageRef = nullptr;
  decltype(&::sd_bus_message_unref) messageUnref = nullptr;
  decltype(&::sd_bus_message_is_method_error) isMethodError = nullptr;
  decltype(&::sd_bus_message_get_error) getError = nullptr;
  decltype(&::sd_bus_message_enter_container) enterContainer = nullptr;
  decltype(&::sd_bus_message_exit_container) exitContainer = nullptr;
  decltype(&::sd_bus_message_read) read = nullptr;
};

// Null when libsystemd cannot be opened or lacks one of the calls.
const SdBus* sdBus();

}  // namespace gnome

#endif
