// The X11 window system: the search answered from the run's snapshot, the
// window in front, and the requests to windows. With an EWMH window manager
// each request goes to it, as a pager or taskbar would put it; without one
// Tarvexel does what a window manager would have done, but never more than
// asking a window to close.
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>

#include "platform/window_list.h"
#include "platform/window_system.h"
#include "platform/x11/connection.h"
#include "platform/x11/client_windows.h"
#include "platform/x11/desktops.h"
#include "platform/x11/text.h"

namespace x11 {
namespace {

// The request stands for a direct user action (a key bound to Tarvexel),
// which window managers grant, unlike an application asking for attention.
constexpr std::uint32_t kFromUser = 2;
constexpr std::uint32_t kIconicState = 3;
constexpr std::uint32_t kToWindowManager =
    XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;

// The connection and the snapshot of the run, made while the window system
// is chosen: connecting, the set-up and the reading of the windows share
// the time the systems tried before left. A display that does not answer
// in time counts as none.
class DisplayWindows {
 public:
  DisplayWindows() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return;
    const Clock::time_point end = choosingEnds();
    if (end <= Clock::now()) return;
    Deadline deadline(-1, end);
    connection_ = Connection::open(deadline);
    if (connection_) snapshot_.emplace(*connection_, deadline, end);
    if (connection_ && connection_->gone()) {
      snapshot_.reset();
      connection_.reset();
    }
  }

  Connection* connection() const { return connection_.get(); }
  ClientWindows* snapshot() { return snapshot_ ? &*snapshot_ : nullptr; }

 private:
  std::unique_ptr<Connection> connection_;
  std::optional<ClientWindows> snapshot_;
};

DisplayWindows& run() {
  static DisplayWindows running;
  return running;
}

Connection& connection() { return *run().connection(); }
ClientWindows& snapshot() { return *run().snapshot(); }

xcb_window_t windowOf(HWND handle) {
  return static_cast<xcb_window_t>(reinterpret_cast<std::uintptr_t>(handle));
}
HWND handleOf(xcb_window_t window) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

bool matches(std::size_t i, LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  if (className != nullptr) {
    if (!namesProgram(snapshot().classes()[i], className)) return false;
  }
  if (title != nullptr) {
    const std::optional<std::wstring>& text = snapshot().titles()[i];
    if (!text || !titleMatches(*text, title, titleMatch)) return false;
  }
  return true;
}

HWND findWindow(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  const std::vector<xcb_window_t>& windows = snapshot().windows();
  for (std::size_t i = 0; i < windows.size(); ++i)
    if (matches(i, className, title, titleMatch)) return handleOf(windows[i]);
  return nullptr;
}

HWND findLeastRecent(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  const std::vector<xcb_window_t>& windows = snapshot().windows();
  for (std::size_t i = windows.size(); i > 0; --i)
    if (matches(i - 1, className, title, titleMatch)) return handleOf(windows[i - 1]);
  return nullptr;
}

HWND foregroundWindow() { return handleOf(snapshot().front()); }

// The X window id, as xprop and xwininfo show it.
std::wstring idOf(xcb_window_t window) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%x", static_cast<unsigned>(window));
  return text;
}

std::vector<WindowDescription> listWindows() {
  std::vector<WindowDescription> list;
  ClientWindows& windows = snapshot();
  const xcb_window_t front = windows.front();
  const std::vector<bool> iconic = windows.iconic();
  for (std::size_t i = 0; i < windows.windows().size(); ++i) {
    WindowDescription window;
    window.handle = handleOf(windows.windows()[i]);
    window.classes = windows.classes()[i];
    window.title = windows.titles()[i].value_or(std::wstring());
    window.front = windows.windows()[i] == front;
    window.minimized = iconic[i];
    window.id = idOf(windows.windows()[i]);
    list.push_back(std::move(window));
  }
  return list;
}

std::wstring widen(const std::string& text) { return decodeText(TextType::utf8, text); }

// The name the window manager gives its check window.
std::wstring managerName() {
  Connection& c = connection();
  if (c.gone() || !snapshot().managed()) return {};
  const Deadline deadline(c.socket());
  const Property property = c.awaitProperty(
      c.requestProperty(snapshot().checkWindow(), c.atom(Name::netWmName), 64), deadline);
  return textOf(c, property).value_or(std::wstring());
}

std::wstring describe() {
  std::wstring text = L"X11 on " + widen(connection().display);
  if (!snapshot().managed()) return text + L", no EWMH window manager";
  const std::wstring name = managerName();
  return text + L", window manager " + (name.empty() ? L"(unnamed)" : name) + L" (EWMH)";
}

// A client message of 32-bit items.
void sendMessage(xcb_window_t to, std::uint32_t mask, xcb_window_t about, xcb_atom_t type,
                 std::initializer_list<std::uint32_t> data) {
  Connection& c = connection();
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = about;
  event.type = type;
  std::copy(data.begin(), data.end(), event.data.data32);
  c.x.sendEvent(c.c, 0, to, mask, reinterpret_cast<const char*>(&event));
}

// Requests carry the server's time. The only way to learn it is to have
// the server stamp an event: an empty append to a property of a window of
// our own, never shown. 0 when no event comes in time.
xcb_timestamp_t serverTime(const Deadline& deadline) {
  Connection& c = connection();
  const xcb_window_t probe = c.x.generateId(c.c);
  const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
  c.x.createWindow(c.c, XCB_COPY_FROM_PARENT, probe, c.root, 0, 0, 1, 1, 0,
                   XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
  c.x.changeProperty(c.c, XCB_PROP_MODE_APPEND, probe, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                     nullptr);
  c.flush();
  xcb_timestamp_t time = 0;
  while (time == 0 && !c.gone() && deadline.remaining() > 0) {
    std::unique_ptr<xcb_generic_event_t, FreeReply> event(c.x.pollForEvent(c.c));
    if (!event) {
      if (c.x.hasError(c.c)) break;
      pollfd ready{c.socket(), POLLIN, 0};
      if (::poll(&ready, 1, deadline.remaining()) < 0 && errno != EINTR) break;
    } else if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
      const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
      if (change->window == probe) time = change->time;
    }
  }
  c.x.destroyWindow(c.c, probe);
  return time;
}

// Where a window on another desktop than the user's is brought forward:
// on its own desktop, the user taken there (not every window manager goes
// there on an activation alone: openbox shows nothing), or on the user's.
enum class Meeting { onItsDesktop, onTheUsers };

// With an EWMH window manager, the desktops are asked with the server's
// time, in the same round trip.
void meetAndActivate(xcb_window_t window, Meeting meeting, const Deadline& deadline) {
  Connection& c = connection();
  DesktopQuestion desktops(c, snapshot(), window);
  const xcb_timestamp_t time = serverTime(deadline);
  if (const std::optional<Apart> apart = desktops.await(deadline)) {
    if (meeting == Meeting::onTheUsers) {
      sendMessage(c.root, kToWindowManager, window, c.atom(Name::wmDesktop),
                  {apart->user, kFromUser});
    } else {
      sendMessage(c.root, kToWindowManager, c.root, c.atom(Name::currentDesktop),
                  {apart->window, time});
    }
  }
  sendMessage(c.root, kToWindowManager, window, c.atom(Name::activeWindow),
              {kFromUser, time, XCB_NONE});
}

void bringForward(HWND handle, Meeting meeting) {
  Connection& c = connection();
  if (c.gone()) return;
  const Deadline deadline(c.socket());
  const xcb_window_t window = windowOf(handle);
  if (snapshot().managed() && snapshot().offers(Name::activeWindow)) {
    meetAndActivate(window, meeting, deadline);
  } else {
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    c.x.configureWindow(c.c, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    c.x.setInputFocus(c.c, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
  }
  c.sync(deadline);
}

void activate(HWND handle) { bringForward(handle, Meeting::onItsDesktop); }

// Without desktops there is nowhere else to bring it: it is activated.
void bringHere(HWND handle) { bringForward(handle, Meeting::onTheUsers); }

// Only ever a request the window may turn down. A window that takes no
// WM_DELETE_WINDOW cannot be asked, only killed, and window managers kill
// such a window on _NET_CLOSE_WINDOW: it is left alone.
void close(HWND handle) {
  Connection& c = connection();
  if (c.gone()) return;
  const Deadline deadline(c.socket());
  const xcb_window_t window = windowOf(handle);
  const unsigned int asked = c.requestProperty(window, c.atom(Name::wmProtocols), 64);
  const xcb_timestamp_t time = serverTime(deadline);
  const std::vector<std::uint32_t> protocols = c.awaitProperty(asked, deadline).items;
  const xcb_atom_t deleteWindow = c.atom(Name::wmDeleteWindow);
  if (deleteWindow == XCB_NONE ||
      std::find(protocols.begin(), protocols.end(), deleteWindow) == protocols.end()) {
    c.flush();
    return;
  }
  if (snapshot().managed() && snapshot().offers(Name::closeWindow)) {
    sendMessage(c.root, kToWindowManager, window, c.atom(Name::closeWindow), {time, kFromUser});
  } else {
    sendMessage(window, XCB_EVENT_MASK_NO_EVENT, window, c.atom(Name::wmProtocols),
                {deleteWindow, time});
  }
  c.sync(deadline);
}

// The ICCCM's request to iconify: the window manager, EWMH or not, listens
// for it on the root.
void minimize(HWND handle) {
  Connection& c = connection();
  const xcb_atom_t changeState = c.atom(Name::wmChangeState);
  if (c.gone() || changeState == XCB_NONE) return;
  const Deadline deadline(c.socket());
  sendMessage(c.root, kToWindowManager, windowOf(handle), changeState, {kIconicState});
  c.sync(deadline);
}

}  // namespace

std::wstring windowManagerName() { return run().connection() ? managerName() : std::wstring(); }

const WindowSystem* windowSystem() {
  static const WindowSystem system{describe, findWindow, findLeastRecent, foregroundWindow,
                                   listWindows, activate, close, minimize, nullptr, bringHere};
  return run().connection() ? &system : nullptr;
}

}  // namespace x11
