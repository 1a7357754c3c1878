// libsystemd's D-Bus client (sd-bus), opened at run time
// (platform/posix/shared_library.h): only a run that asks a GNOME session
// for its windows maps it.
#ifndef TARVEXEL_PLATFORM_GNOME_SD_BUS_H
#define TARVEXEL_PLATFORM_GNOME_SD_BUS_H

#include <systemd/sd-bus.h>

#include "platform/posix/shared_library.h"

// The sd-bus calls Tarvexel makes.
#define TARVEXEL_SD_BUS_CALLS(CALL)                    \
  CALL(newBus, sd_bus_new)                             \
  CALL(setAddress, sd_bus_set_address)                 \
  CALL(setBusClient, sd_bus_set_bus_client)            \
  CALL(start, sd_bus_start)                            \
  CALL(closeUnref, sd_bus_close_unref)                 \
  CALL(process, sd_bus_process)                        \
  CALL(wait, sd_bus_wait)                              \
  CALL(callAsync, sd_bus_call_async)                   \
  CALL(slotUnref, sd_bus_slot_unref)                   \
  CALL(newMethodCall, sd_bus_message_new_method_call)  \
  CALL(setAutoStart, sd_bus_message_set_auto_start)    \
  CALL(append, sd_bus_message_append)                  \
  CALL(messageRef, sd_bus_message_ref)                 \
  CALL(messageUnref, sd_bus_message_unref)             \
  CALL(isMethodError, sd_bus_message_is_method_error)  \
  CALL(getError, sd_bus_message_get_error)             \
  CALL(enterContainer, sd_bus_message_enter_container) \
  CALL(exitContainer, sd_bus_message_exit_container)   \
  CALL(read, sd_bus_message_read)

namespace gnome {

// sdBus(): null when libsystemd cannot be opened or lacks one of the calls.
TARVEXEL_LIBRARY(SdBus, sdBus, "libsystemd.so.0", TARVEXEL_SD_BUS_CALLS)

}  // namespace gnome

#endif
