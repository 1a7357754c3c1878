#include "platform/wayland/library.h"

#include "platform/posix/shared_library.h"

namespace wayland {
namespace {

using posix::bind;

bool bindAll(void* library, Library& w) {
  return bind(library, "wl_display_connect_to_fd", w.connectToFd) &&
         bind(library, "wl_display_disconnect", w.disconnect) &&
         bind(library, "wl_display_get_fd", w.getFd) &&
         bind(library, "wl_display_get_error", w.getError) &&
         bind(library, "wl_display_flush", w.flush) &&
         bind(library, "wl_display_create_queue", w.createQueue) &&
         bind(library, "wl_event_queue_destroy", w.destroyQueue) &&
         bind(library, "wl_display_prepare_read_queue", w.prepareReadQueue) &&
         bind(library, "wl_display_cancel_read", w.cancelRead) &&
         bind(library, "wl_display_read_events", w.readEvents) &&
         bind(library, "wl_display_dispatch_queue_pending", w.dispatchQueuePending) &&
         bind(library, "wl_display_dispatch_pending", w.dispatchPending) &&
         bind(library, "wl_proxy_marshal_array_flags", w.marshal) &&
         bind(library, "wl_proxy_add_listener", w.addListener) &&
         bind(library, "wl_proxy_get_version", w.getVersion) &&
         bind(library, "wl_proxy_destroy", w.destroy) &&
         bind(library, "wl_proxy_create_wrapper", w.createWrapper) &&
         bind(library, "wl_proxy_wrapper_destroy", w.destroyWrapper) &&
         bind(library, "wl_proxy_set_queue", w.setQueue) &&
         bind(library, "wl_log_set_handler_client", w.setLogHandler);
}

}  // namespace

const Library* library() {
  static const Library* const loaded = posix::openLibrary("libwayland-client.so.0", bindAll);
  return loaded;
}

}  // namespace wayland
