#include "platform/x11/xcb.h"

#include "platform/posix/shared_library.h"

namespace x11 {
namespace {

using posix::bind;

bool bindConnection(void* library, Xcb& x) {
  return bind(library, "xcb_connect_to_fd", x.connectToFd) &&
         bind(library, "xcb_connection_has_error", x.hasError) &&
         bind(library, "xcb_disconnect", x.disconnect) &&
         bind(library, "xcb_get_setup", x.getSetup) &&
         bind(library, "xcb_setup_roots_iterator", x.rootsIterator) &&
         bind(library, "xcb_screen_next", x.screenNext) &&
         bind(library, "xcb_get_file_descriptor", x.fileDescriptor) &&
         bind(library, "xcb_flush", x.flush) &&
         bind(library, "xcb_poll_for_reply", x.pollForReply) &&
         bind(library, "xcb_poll_for_event", x.pollForEvent) &&
         bind(library, "xcb_generate_id", x.generateId);
}

bool bindRequests(void* library, Xcb& x) {
  return bind(library, "xcb_intern_atom", x.internAtom) &&
         bind(library, "xcb_get_property", x.getProperty) &&
         bind(library, "xcb_get_property_value", x.propertyValue) &&
         bind(library, "xcb_get_property_value_length", x.propertyValueLength) &&
         bind(library, "xcb_query_tree", x.queryTree) &&
         bind(library, "xcb_query_tree_children", x.treeChildren) &&
         bind(library, "xcb_query_tree_children_length", x.treeChildrenLength) &&
         bind(library, "xcb_get_window_attributes", x.getWindowAttributes) &&
         bind(library, "xcb_get_input_focus", x.getInputFocus) &&
         bind(library, "xcb_send_event", x.sendEvent) &&
         bind(library, "xcb_change_property", x.changeProperty) &&
         bind(library, "xcb_change_window_attributes", x.changeWindowAttributes) &&
         bind(library, "xcb_create_window", x.createWindow) &&
         bind(library, "xcb_destroy_window", x.destroyWindow) &&
         bind(library, "xcb_configure_window", x.configureWindow) &&
         bind(library, "xcb_set_input_focus", x.setInputFocus);
}

bool bindAll(void* library, Xcb& x) {
  return bindConnection(library, x) && bindRequests(library, x);
}

}  // namespace

const Xcb* xcb() {
  static const Xcb* const loaded = posix::openLibrary("libxcb.so.1", bindAll);
  return loaded;
}

}  // namespace x11
