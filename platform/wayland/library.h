// libwayland-client, opened at run time (platform/posix/shared_library.h).
//
// The protocol code wayland-scanner generates comes in two halves: tables
// that describe each interface (plain data, built into the program), and
// inline functions that call libwayland by name. Those would make the
// program link libwayland, so they are never called: requests go through
// wl_proxy_marshal_array_flags from this table instead, with the opcodes
// and listener layouts the generated header gives.
#ifndef TARVEXEL_PLATFORM_WAYLAND_LIBRARY_H
#define TARVEXEL_PLATFORM_WAYLAND_LIBRARY_H

#include <wayland-client-core.h>

namespace wayland {

struct Library {
  decltype(&::wl_display_connect_to_fd) connectToFd = nullptr;
  decltype(&::wl_display_disconnect) disconnect = nullptr;
  decltype(&::wl_display_get_fd) getFd = nullptr;
  decltype(&::wl_display_get_error) getError = nullptr;
  decltype(&::wl_display_flush) flush = nullptr;
  decltype(&::wl_display_create_queue) createQueue = nullptr;
  decltype(&::wl_event_queue_destroy) destroyQueue = nullptr;
  decltype(&::wl_display_prepare_read_queue) prepareReadQueue = nullptr;
  decltype(&::wl_display_cancel_read) cancelRead = nullptr;
  decltype(&::wl_display_read_events) readEvents = nullptr;
  decltype(&::wl_display_dispatch_queue_pending) dispatchQueuePending = nullptr;
  decltype(&::wl_display_dispatch_pending) dispatchPending = nullptr;
  decltype(&::wl_proxy_marshal_array_flags) marshal = nullptr;
  decltype(&::wl_proxy_add_listener) addListener = nullptr;
  decltype(&::wl_proxy_get_version) getVersion = nullptr;
  decltype(&::wl_proxy_destroy) destroy = nullptr;
  decltype(&::wl_proxy_create_wrapper) createWrapper = nullptr;
  decltype(&::wl_proxy_wrapper_destroy) destroyWrapper = nullptr;
  decltype(&::wl_proxy_set_queue) setQueue = nullptr;
  decltype(&::wl_log_set_handler_client) setLogHandler = nullptr;
};

// Null when libwayland-client cannot be opened or lacks one of the calls
// (wl_proxy_marshal_array_flags came with version 1.20).
const Library* library();

}  // namespace wayland

#endif
