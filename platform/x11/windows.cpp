// The window in front, bringing a window there, and asking one to close.
// With an EWMH window manager each is a question or a request to it, as a
// pager or taskbar would put it; without one Tarvexel does what a window
// manager would have done, but never more than asking a window to close.
#include <X11/Xatom.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/utf8.h"
#include "platform/window_system.h"
#include "platform/x11/display.h"
#include "platform/x11/property.h"

namespace {

using x11::Desktop;
using x11::Name;

// The request stands for a direct user action (a key bound to Tarvexel),
// which window managers grant, unlike an application asking for attention.
constexpr long kFromUser = 2;

// Requests carry the server's time. The only way to learn it is to have
// the server stamp an event: an empty append to a property of a window of
// our own, never shown.
Time serverTime(const Desktop& desktop) {
  const Window probe =
      desktop.x.createSimpleWindow(desktop.display, desktop.root, 0, 0, 1, 1, 0, 0, 0);
  desktop.x.selectInput(desktop.display, probe, PropertyChangeMask);
  unsigned char nothing = 0;
  desktop.x.changeProperty(desktop.display, probe, XA_WM_NAME, XA_STRING, 8, PropModeAppend,
                           &nothing, 0);
  XEvent event;
  desktop.x.windowEvent(desktop.display, probe, PropertyChangeMask, &event);
  desktop.x.destroyWindow(desktop.display, probe);
  return event.xproperty.time;
}

void sendMessage(const Desktop& desktop, Window to, long mask, Window about, Atom type,
                 const std::vector<long>& data) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = about;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  std::copy(data.begin(), data.end(), event.xclient.data.l);
  desktop.x.sendEvent(desktop.display, to, False, mask, &event);
}

// Requests to the window manager go to the root, where it listens.
void askWindowManagerAbout(const Desktop& desktop, Window about, Atom request,
                           const std::vector<long>& data) {
  sendMessage(desktop, desktop.root, SubstructureRedirectMask | SubstructureNotifyMask, about,
              request, data);
}

void askWindowManager(const Desktop& desktop, Window about, Name request,
                      const std::vector<long>& data) {
  askWindowManagerAbout(desktop, about, desktop.atom(request), data);
}

bool takesDeleteWindow(const Desktop& desktop, Window window) {
  const std::vector<unsigned long> protocols =
      x11::readProperty(desktop, window, desktop.atom(Name::wmProtocols)).items;
  return std::find(protocols.begin(), protocols.end(), desktop.atom(Name::wmDeleteWindow)) !=
         protocols.end();
}

// Without a window manager's word the input focus tells: the client window
// that holds it or one of its children.
Window focusedClient(const Desktop& desktop) {
  Window focus = None;
  int revertTo = 0;
  desktop.x.getInputFocus(desktop.display, &focus, &revertTo);
  for (Window window = focus; window != None && window != PointerRoot && window != desktop.root;
       window = x11::queryTree(desktop, window).parent) {
    if (x11::isClientWindow(desktop, window)) return window;
  }
  return None;
}

HWND foregroundWindow() {
  const Desktop* desktop = x11::desktop();
  if (desktop->offers(Name::activeWindow)) {
    return x11::handleOf(
        x11::windowProperty(*desktop, desktop->root, desktop->atom(Name::activeWindow)));
  }
  return x11::handleOf(focusedClient(*desktop));
}

void activate(HWND handle) {
  const Desktop* desktop = x11::desktop();
  const Window window = x11::windowOf(handle);
  if (desktop->offers(Name::activeWindow)) {
    const long time = static_cast<long>(serverTime(*desktop));
    askWindowManager(*desktop, window, Name::activeWindow, {kFromUser, time, None});
  } else {
    desktop->x.raiseWindow(desktop->display, window);
    desktop->x.setInputFocus(desktop->display, window, RevertToParent, CurrentTime);
  }
  // Sent now, not when the run ends: a "sleep" or "execSync" may follow.
  desktop->x.flush(desktop->display);
}

// Only ever a request the window may turn down. A window that takes no
// WM_DELETE_WINDOW cannot be asked, only killed, and window managers kill
// such a window on _NET_CLOSE_WINDOW: it is left alone.
void close(HWND handle) {
  const Desktop* desktop = x11::desktop();
  const Window window = x11::windowOf(handle);
  if (!takesDeleteWindow(*desktop, window)) return;
  const long time = static_cast<long>(serverTime(*desktop));
  if (desktop->offers(Name::closeWindow)) {
    askWindowManager(*desktop, window, Name::closeWindow, {time, kFromUser});
  } else {
    sendMessage(*desktop, window, NoEventMask, window, desktop->atom(Name::wmProtocols),
                {static_cast<long>(desktop->atom(Name::wmDeleteWindow)), time});
  }
  desktop->x.flush(desktop->display);
}

// ICCCM: a client asks for its window to be iconified with WM_CHANGE_STATE
// to the root; a window manager does the same when a pager asks.
void minimize(HWND handle) {
  const Desktop* desktop = x11::desktop();
  char name[] = "WM_CHANGE_STATE";
  char* names[] = {name};
  Atom changeState = None;
  desktop->x.internAtoms(desktop->display, names, 1, False, &changeState);
  askWindowManagerAbout(*desktop, x11::windowOf(handle), changeState, {IconicState});
  desktop->x.flush(desktop->display);
}

std::vector<WindowDescription> windowsInOrder() { return x11::listWindows(foregroundWindow()); }

// The window manager names itself on its check window.
std::optional<std::wstring> windowManagerName(const Desktop& desktop) {
  const Window check =
      x11::windowProperty(desktop, desktop.root, desktop.atom(Name::supportingWmCheck));
  if (check == None || desktop.supported.empty()) return std::nullopt;
  const x11::PropertyValue value = x11::readProperty(desktop, check, desktop.atom(Name::netWmName));
  return x11::decodeText(desktop, value.type, value.bytes).value_or(L"(unnamed)");
}

std::wstring describe() {
  const Desktop* desktop = x11::desktop();
  std::wstring text = L"X11, display " + utf8::widenLossless(std::getenv("DISPLAY"));
  const std::optional<std::wstring> manager = windowManagerName(*desktop);
  return text + (manager ? L", window manager " + *manager
                         : L", no EWMH window manager (the windows on screen are searched)");
}

}  // namespace

namespace x11 {

const WindowSystem* windowSystem() {
  static const WindowSystem system{describe, findWindow, findLeastRecent, foregroundWindow,
                                   windowsInOrder, activate, close, minimize};
  return desktop() ? &system : nullptr;
}

}  // namespace x11
