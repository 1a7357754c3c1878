// libxcb, opened at run time (platform/posix/shared_library.h): the window
// search and the requests to windows talk to the X server through it.
#ifndef TARVEXEL_PLATFORM_X11_XCB_H
#define TARVEXEL_PLATFORM_X11_XCB_H

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

namespace x11 {

// The libxcb calls Tarvexel makes, each looked up by its name.
struct Xcb {
  decltype(&::xcb_connect_to_fd) connectToFd = nullptr;
  decltype(&::xcb_connection_has_error) hasError = nullptr;
  decltype(&::xcb_disconnect) disconnect = nullptr;
  decltype(&::xcb_get_setup) getSetup = nullptr;
  decltype(&::xcb_setup_roots_iterator) rootsIterator = nullptr;
  decltype(&::xcb_screen_next) screenNext = nullptr;
  decltype(&::xcb_get_file_descriptor) fileDescriptor = nullptr;
  decltype(&::xcb_flush) flush = nullptr;
  decltype(&::xcb_poll_for_reply) pollForReply = nullptr;
  decltype(&::xcb_poll_for_event) pollForEvent = nullptr;
  decltype(&::xcb_generate_id) generateId = nullptr;
  decltype(&::xcb_intern_atom) internAtom = nullptr;
  decltype(&::xcb_get_property) getProperty = nullptr;
  decltype(&::xcb_get_property_value) propertyValue = nullptr;
  decltype(&::xcb_get_property_value_length) propertyValueLength = nullptr;
  decltype(&::xcb_query_tree) queryTree = nullptr;
  decltype(&::xcb_query_tree_children) treeChildren = nullptr;
  decltype(&::xcb_query_tree_children_length) treeChildrenLength = nullptr;
  decltype(&::xcb_get_window_attributes) getWindowAttributes = nullptr;
  decltype(&::xcb_get_input_focus) getInputFocus = nullptr;
  decltype(&::xcb_send_event) sendEvent = nullptr;
  decltype(&::xcb_change_property) changeProperty = nullptr;
  decltype(&::xcb_change_window_attributes) changeWindowAttributes = nullptr;
  decltype(&::xcb_create_window) createWindow = nullptr;
  decltype(&::xcb_destroy_window) destroyWindow = nullptr;
  decltype(&::xcb_configure_window) configureWindow = nullptr;
  decltype(&::xcb_set_input_focus) setInputFocus = nullptr;
};

// Null when libxcb cannot be opened or lacks one of the calls.
const Xcb* xcb();

}  // namespace x11

#endif
