// libxcb, opened at run time (platform/posix/shared_library.h): the window
// search and the requests to windows talk to the X server through it.
#ifndef TARVEXEL_PLATFORM_X11_XCB_H
#define TARVEXEL_PLATFORM_X11_XCB_H

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include "platform/posix/shared_library.h"

// The libxcb calls Tarvexel makes: the connection, then the requests.
#define TARVEXEL_XCB_CALLS(CALL)                             \
  CALL(connectToFd, xcb_connect_to_fd)                       \
  CALL(hasError, xcb_connection_has_error)                   \
  CALL(disconnect, xcb_disconnect)                           \
  CALL(getSetup, xcb_get_setup)                              \
  CALL(rootsIterator, xcb_setup_roots_iterator)              \
  CALL(screenNext, xcb_screen_next)                          \
  CALL(fileDescriptor, xcb_get_file_descriptor)              \
  CALL(flush, xcb_flush)                                     \
  CALL(pollForReply, xcb_poll_for_reply)                     \
  CALL(pollForEvent, xcb_poll_for_event)                     \
  CALL(generateId, xcb_generate_id)                          \
  CALL(internAtom, xcb_intern_atom)                          \
  CALL(getProperty, xcb_get_property)                        \
  CALL(propertyValue, xcb_get_property_value)                \
  CALL(propertyValueLength, xcb_get_property_value_length)   \
  CALL(queryTree, xcb_query_tree)                            \
  CALL(treeChildren, xcb_query_tree_children)                \
  CALL(treeChildrenLength, xcb_query_tree_children_length)   \
  CALL(getWindowAttributes, xcb_get_window_attributes)       \
  CALL(getInputFocus, xcb_get_input_focus)                   \
  CALL(sendEvent, xcb_send_event)                            \
  CALL(changeProperty, xcb_change_property)                  \
  CALL(changeWindowAttributes, xcb_change_window_attributes) \
  CALL(createWindow, xcb_create_window)                      \
  CALL(destroyWindow, xcb_destroy_window)                    \
  CALL(configureWindow, xcb_configure_window)                \
  CALL(setInputFocus, xcb_set_input_focus)

namespace x11 {

// xcb(): null when libxcb cannot be opened or lacks one of the calls.
TARVEXEL_LIBRARY(Xcb, xcb, "libxcb.so.1", TARVEXEL_XCB_CALLS)

}  // namespace x11

#endif
