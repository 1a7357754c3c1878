/* The core interfaces that the window-management protocols name as the
 * types of object arguments: the output a window is on, the seat that
 * activates it, a surface. libwayland compares an argument's object with
 * such a type by name alone, and no object is ever made from these, so a
 * name is all they hold. The objects this program makes of core interfaces
 * (the registry, callbacks, the seat) are made with libwayland's own
 * descriptions, which it looks up with its calls (platform/wayland/
 * library.h).
 *
 * Not built from libwayland's description of the whole core protocol:
 * those tables are pointers that the dynamic loader would relocate on every
 * start of the program, with or without a Wayland desktop. */
#include <stddef.h>
#include <wayland-util.h>

const struct wl_interface wl_output_interface = {"wl_output", 1, 0, NULL, 0, NULL};
const struct wl_interface wl_seat_interface = {"wl_seat", 1, 0, NULL, 0, NULL};
const struct wl_interface wl_surface_interface = {"wl_surface", 1, 0, NULL, 0, NULL};
