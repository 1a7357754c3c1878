// Reading window properties, and what Tarvexel makes of their text.
#ifndef TARVEXEL_PLATFORM_X11_PROPERTY_H
#define TARVEXEL_PLATFORM_X11_PROPERTY_H

#include <optional>
#include <string>
#include <vector>

#include "platform/x11/display.h"

namespace x11 {

// A property's value copied out of Xlib: bytes for 8-bit formats, items
// (window ids, atoms, numbers) for 32-bit ones. A missing property, or one
// on a window that has gone, reads as type None and holds nothing.
struct PropertyValue {
  Atom type = None;
  std::string bytes;
  std::vector<unsigned long> items;
};

PropertyValue readProperty(const Desktop& desktop, Window window, Atom name);

// A window id held in a WINDOW property, or None.
Window windowProperty(const Desktop& desktop, Window window, Atom name);

// Text as the property's type encodes it: UTF8_STRING as UTF-8, STRING as
// Latin-1, and COMPOUND_TEXT as Latin-1 when it switches to no other
// character set. nullopt for any other type or text.
std::optional<std::wstring> decodeText(const Desktop& desktop, Atom type, const std::string& bytes);

// Whether the window is a client's top-level window: the window manager
// marks those with WM_STATE.
bool isClientWindow(const Desktop& desktop, Window window);

// A window's place in the tree: its parent and its children, the bottom of
// the stack first. A window that has gone has neither.
struct TreeNode {
  Window parent = None;
  std::vector<Window> children;
};

TreeNode queryTree(const Desktop& desktop, Window window);

}  // namespace x11

#endif
