// What Tarvexel reads of sway's answers: the name of the workspace that
// has the focus, out of the JSON text of a GET_WORKSPACES reply. No JSON
// library for one name: a reader of its own that takes in only what it
// needs, steps over the rest without recursing, and gives up on anything
// that is not an array of objects.
#ifndef TARVEXEL_PLATFORM_WAYLAND_SWAY_REPLY_H
#define TARVEXEL_PLATFORM_WAYLAND_SWAY_REPLY_H

#include <optional>
#include <string>
#include <string_view>

namespace wayland {

// The "name" of the object whose "focused" is true, as it stands between
// its quotes (escapes left as they are: the name is only ever compared
// with another read the same way). Nullopt when none is, or the text is
// not such an array.
std::optional<std::string> focusedWorkspaceIn(std::string_view reply);

}  // namespace wayland

#endif
