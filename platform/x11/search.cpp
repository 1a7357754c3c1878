// Finding a top-level window by class and title as FindWindow does on
// Windows: the first match in stacking order, topmost first.
#include <X11/Xatom.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/x11/display.h"
#include "platform/x11/property.h"

namespace {

using x11::Desktop;
using x11::Name;

// A client's window is either a child of the root or, once a window manager
// has put a frame around it, somewhere inside that frame.
Window clientWithin(const Desktop& desktop, Window window) {
  if (x11::isClientWindow(desktop, window)) return window;
  const std::vector<Window> children = x11::queryTree(desktop, window).children;
  for (auto child = children.rbegin(); child != children.rend(); ++child) {
    const Window client = clientWithin(desktop, *child);
    if (client != None) return client;
  }
  return None;
}

bool isViewable(const Desktop& desktop, Window window) {
  XWindowAttributes attributes;
  return desktop.x.getWindowAttributes(desktop.display, window, &attributes) != 0 &&
         attributes.map_state == IsViewable;
}

// Without an EWMH window manager's list, the clients are found in what is
// on the screen: the root's mapped children, topmost first.
std::vector<Window> clientsOnScreen(const Desktop& desktop) {
  std::vector<Window> clients;
  const std::vector<Window> children = x11::queryTree(desktop, desktop.root).children;
  for (auto child = children.rbegin(); child != children.rend(); ++child) {
    if (!isViewable(desktop, *child)) continue;
    const Window client = clientWithin(desktop, *child);
    if (client != None) clients.push_back(client);
  }
  return clients;
}

// The stacking list runs from the bottom up; the plain client list in the
// order the windows were mapped, so the newest window comes first.
std::vector<Window> managedWindows(const Desktop& desktop, Name list) {
  const std::vector<unsigned long> items =
      x11::readProperty(desktop, desktop.root, desktop.atom(list)).items;
  return std::vector<Window>(items.rbegin(), items.rend());
}

std::vector<Window> topLevelWindows(const Desktop& desktop) {
  if (desktop.offers(Name::clientListStacking))
    return managedWindows(desktop, Name::clientListStacking);
  if (desktop.offers(Name::clientList)) return managedWindows(desktop, Name::clientList);
  return clientsOnScreen(desktop);
}

// WM_CLASS holds the instance name and the class name, each ended by a NUL.
std::vector<std::wstring> classNames(const Desktop& desktop, Window window) {
  const x11::PropertyValue value = x11::readProperty(desktop, window, XA_WM_CLASS);
  const std::optional<std::wstring> names = x11::decodeText(desktop, value.type, value.bytes);
  if (!names) return {};
  const std::size_t end = names->find(L'\0');
  std::vector<std::wstring> parts{names->substr(0, end)};
  if (end != std::wstring::npos) {
    parts.push_back(names->substr(end + 1, names->find(L'\0', end + 1) - (end + 1)));
  }
  return parts;
}

bool hasClass(const Desktop& desktop, Window window, const wchar_t* wanted) {
  for (const std::wstring& name : classNames(desktop, window)) {
    if (name == wanted) return true;
  }
  return false;
}

// The UTF-8 _NET_WM_NAME where the window has one, its WM_NAME otherwise.
std::optional<std::wstring> titleOf(const Desktop& desktop, Window window) {
  x11::PropertyValue value = x11::readProperty(desktop, window, desktop.atom(Name::netWmName));
  if (value.type == None) value = x11::readProperty(desktop, window, XA_WM_NAME);
  return x11::decodeText(desktop, value.type, value.bytes);
}

bool hasTitle(const Desktop& desktop, Window window, const wchar_t* wanted) {
  const std::optional<std::wstring> title = titleOf(desktop, window);
  return title && *title == wanted;
}

bool matches(const Desktop& desktop, Window window, LPCWSTR className, LPCWSTR windowName) {
  return (className == nullptr || hasClass(desktop, window, className)) &&
         (windowName == nullptr || hasTitle(desktop, window, windowName));
}

}  // namespace

namespace x11 {

HWND findWindow(LPCWSTR className, LPCWSTR windowName) {
  const Desktop* desktop = x11::desktop();
  for (const Window window : topLevelWindows(*desktop)) {
    if (matches(*desktop, window, className, windowName)) return x11::handleOf(window);
  }
  return nullptr;
}

// The lowest match in the stacking order.
HWND findLeastRecent(LPCWSTR className, LPCWSTR windowName) {
  const Desktop* desktop = x11::desktop();
  const std::vector<Window> windows = topLevelWindows(*desktop);
  for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
    if (matches(*desktop, *window, className, windowName)) return x11::handleOf(*window);
  }
  return nullptr;
}

std::vector<WindowDescription> listWindows(HWND front) {
  const Desktop* desktop = x11::desktop();
  std::vector<WindowDescription> list;
  for (const Window window : topLevelWindows(*desktop)) {
    WindowDescription description;
    description.handle = x11::handleOf(window);
    description.classes = classNames(*desktop, window);
    description.title = titleOf(*desktop, window).value_or(std::wstring());
    description.front = description.handle == front;
    list.push_back(std::move(description));
  }
  return list;
}

}  // namespace x11
