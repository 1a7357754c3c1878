// libwayland-client, opened at run time (platform/posix/shared_library.h).
//
// The protocol code wayland-scanner generates comes in two halves: tables
// that describe each interface (plain data, built into the program), and
// inline functions that call libwayland by name. Those would make the
// program link libwayland, so they are never called: requests go through
// wl_proxy_marshal_array_flags from this table instead, with the opcodes
// and listener layouts the generated header gives. The core interfaces
// whose objects the program makes are libwayland's own descriptions,
// looked up in the library as its calls are.
#ifndef TARVEXEL_PLATFORM_WAYLAND_LIBRARY_H
#define TARVEXEL_PLATFORM_WAYLAND_LIBRARY_H

#include <wayland-client-core.h>
#include <wayland-client-protocol.h>

#include "platform/posix/shared_library.h"

// The libwayland-client calls Tarvexel makes, and the descriptions of the
// core interfaces it makes objects of.
#define TARVEXEL_WAYLAND_CALLS(CALL)                            \
  CALL(connectToFd, wl_display_connect_to_fd)                   \
  CALL(disconnect, wl_display_disconnect)                       \
  CALL(getFd, wl_display_get_fd)                                \
  CALL(getError, wl_display_get_error)                          \
  CALL(flush, wl_display_flush)                                 \
  CALL(createQueue, wl_display_create_queue)                    \
  CALL(destroyQueue, wl_event_queue_destroy)                    \
  CALL(prepareReadQueue, wl_display_prepare_read_queue)         \
  CALL(cancelRead, wl_display_cancel_read)                      \
  CALL(readEvents, wl_display_read_events)                      \
  CALL(dispatchQueuePending, wl_display_dispatch_queue_pending) \
  CALL(dispatchPending, wl_display_dispatch_pending)            \
  CALL(marshal, wl_proxy_marshal_array_flags)                   \
  CALL(addListener, wl_proxy_add_listener)                      \
  CALL(getVersion, wl_proxy_get_version)                        \
  CALL(destroy, wl_proxy_destroy)                               \
  CALL(createWrapper, wl_proxy_create_wrapper)                  \
  CALL(destroyWrapper, wl_proxy_wrapper_destroy)                \
  CALL(setQueue, wl_proxy_set_queue)                            \
  CALL(setLogHandler, wl_log_set_handler_client)                \
  CALL(registryInterface, wl_registry_interface)                \
  CALL(callbackInterface, wl_callback_interface)                \
  CALL(seatInterface, wl_seat_interface)

namespace wayland {

// library(): null when libwayland-client cannot be opened or lacks one of
// the calls (wl_proxy_marshal_array_flags came with version 1.20).
TARVEXEL_LIBRARY(Library, library, "libwayland-client.so.0", TARVEXEL_WAYLAND_CALLS)

}  // namespace wayland

#endif
