#include "platform/x11/property.h"

#include <X11/Xatom.h>

#include "platform/posix/utf8.h"

namespace x11 {
namespace {

// Titles and window lists are far shorter; a longer value is cut here and
// then simply matches nothing.
constexpr long kMostLongs = 64 * 1024;

std::wstring fromUtf8(const std::string& bytes) {
  std::wstring text;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t at = 0;
  while (at < bytes.size()) {
    char32_t c;
    std::size_t used = utf8::decode(data + at, bytes.size() - at, c);
    if (used == 0) {  // a sequence cut short by the end of the value
      c = utf8::kReplacement;
      used = 1;
    }
    text += static_cast<wchar_t>(c);
    at += used;
  }
  return text;
}

std::wstring fromLatin1(const std::string& bytes) {
  std::wstring text;
  for (const char byte : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(byte));
  return text;
}

// Compound text starts out as Latin-1 and changes character sets only
// through ESC or CSI sequences.
bool isPlainCompoundText(const std::string& bytes) {
  return bytes.find('\x1b') == std::string::npos && bytes.find('\x9b') == std::string::npos;
}

}  // namespace

PropertyValue readProperty(const Desktop& desktop, Window window, Atom name) {
  PropertyValue value;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  if (desktop.x.getWindowProperty(desktop.display, window, name, 0, kMostLongs, False,
                                  AnyPropertyType, &value.type, &format, &count, &remaining,
                                  &data) != Success) {
    return PropertyValue{};
  }
  if (data == nullptr) return value;
  if (format == 8) {
    value.bytes.assign(reinterpret_cast<const char*>(data), count);
  } else if (format == 32) {
    // Xlib hands 32-bit items over as longs, whatever the size of a long.
    const auto* items = reinterpret_cast<const long*>(data);
    for (unsigned long i = 0; i < count; ++i)
      value.items.push_back(static_cast<unsigned long>(items[i]));
  }
  desktop.x.free(data);
  return value;
}

Window windowProperty(const Desktop& desktop, Window window, Atom name) {
  const PropertyValue value = readProperty(desktop, window, name);
  if (value.type != XA_WINDOW || value.items.empty()) return None;
  return value.items.front();
}

std::optional<std::wstring> decodeText(const Desktop& desktop, Atom type,
                                       const std::string& bytes) {
  if (type == desktop.atom(Name::utf8String)) return fromUtf8(bytes);
  if (type == XA_STRING) return fromLatin1(bytes);
  if (type == desktop.atom(Name::compoundText) && isPlainCompoundText(bytes))
    return fromLatin1(bytes);
  return std::nullopt;
}

bool isClientWindow(const Desktop& desktop, Window window) {
  const Atom wmState = desktop.atom(Name::wmState);
  return readProperty(desktop, window, wmState).type == wmState;
}

TreeNode queryTree(const Desktop& desktop, Window window) {
  TreeNode node;
  Window root = None;
  Window* children = nullptr;
  unsigned int count = 0;
  if (desktop.x.queryTree(desktop.display, window, &root, &node.parent, &children, &count) == 0) {
    return TreeNode{};
  }
  if (children != nullptr) {
    node.children.assign(children, children + count);
    desktop.x.free(children);
  }
  return node;
}

}  // namespace x11
