/* The core interfaces that the window-management protocols name as the
 * types of object arguments: the output a window is on, the seat that
 * activates it, a surface. libwayland compares an argument's object with
 * such a type by name alone, and no object is ever made from these, so a
 * name is all they hold. The objects this program makes of core interfaces
 * (the registry, callbacks, the seat) are made with libwayland's own
 * descriptions, looked up in the library with its calls (platform/wayland/
 * library.h): an object made with one of these would have no events, and
 * the compositor's first event to it would end the connection.
 *
 * Not built from libwayland's description of the whole core protocol:
 * those tables are pointers that the dynamic loader would relocate on every
 * start of the program, with or without a Wayland desktop. */
#include <stddef.h>
#include <wayland-util.h>

/* Hidden, so that they never take the place of libwayland's own, however
 * the program is linked. */
#define NAME_ONLY(interface) \
  __attribute__((visibility("hidden"))) const struct wl_interface interface##_interface = { \
      #interface, 1, 0, NULL, 0, NULL}

NAME_ONLY(wl_output);
NAME_ONLY(wl_seat);
NAME_ONLY(wl_surface);
