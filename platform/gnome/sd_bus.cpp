#include "platform/gnome/sd_bus.h"

#include "platform/posix/shared_library.h"

namespace gnome {
namespace {

using posix::bind;

bool bindAll(void* library, SdBus& sd) {
  return bind(library, "sd_bus_new", sd.newBus) &&
         bind(library, "sd_bus_set_address", sd.setAddress) &&
         bind(library, "sd_bus_set_bus_client", sd.setBusClient) &&
         bind(library, "sd_bus_start", sd.start) &&
         bind(library, "sd_bus_close_unref", sd.closeUnref) &&
         bind(library, "sd_bus_process", sd.process) && bind(library, "sd_bus_wait", sd.wait) &&
         bind(library, "sd_bus_call_async", sd.callAsync) &&
         bind(library, "sd_bus_slot_unref", sd.slotUnref) &&
         bind(library, "sd_bus_message_new_method_call", sd.newMethodCall) &&
         bind(library, "sd_bus_message_set_auto_start", sd.setAutoStart) &&
         bind(library, "sd_bus_message_append", sd.append) &&
         bind(library, "sd_bus_message_ref", sd.messageRef) &&
         bind(library, "sd_bus_message_unref", sd.messageUnref) &&
         bind(library, "sd_bus_message_is_method_error", sd.isMethodError) &&
         bind(library, "sd_bus_message_get_error", sd.getError) &&
         bind(library, "sd_bus_message_enter_container", sd.enterContainer) &&
         bind(library, "sd_bus_message_exit_container", sd.exitContainer) &&
         bind(library, "sd_bus_message_read", sd.read);
}

}  // namespace

const SdBus* sdBus() {
  static const SdBus* const loaded = posix::openLibrary("libsystemd.so.0", bindAll);
  return loaded;
}

}  // namespace gnome
