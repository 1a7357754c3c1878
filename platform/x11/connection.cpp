#include "platform/x11/connection.h"

#include <poll.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/posix/quiet_standard_error.h"
#include "platform/x11/authority.h"
#include "platform/x11/display_socket.h"

namespace x11 {
namespace {

// In the order of Name.
const char* const kAtomNames[] = {
    "_NET_SUPPORTING_WM_CHECK",
    "_NET_SUPPORTED",
    "_NET_CLIENT_LIST_STACKING",
    "_NET_CLIENT_LIST",
    "_NET_ACTIVE_WINDOW",
    "_NET_CLOSE_WINDOW",
    "_NET_WM_NAME",
    "UTF8_STRING",
    "COMPOUND_TEXT",
    "WM_STATE",
    "WM_PROTOCOLS",
    "WM_DELETE_WINDOW",
    "WM_CHANGE_STATE",
    "_NET_CURRENT_DESKTOP",
    "_NET_WM_DESKTOP",
};
static_assert(sizeof kAtomNames / sizeof kAtomNames[0] == static_cast<int>(Name::count),
              "one name for every atom");

xcb_window_t rootOf(const Xcb& x, xcb_connection_t* c, int screen) {
  xcb_screen_iterator_t roots = x.rootsIterator(x.getSetup(c));
  for (int i = 0; i < screen && roots.rem > 0; ++i) x.screenNext(&roots);
  return roots.rem > 0 ? roots.data->root : XCB_NONE;
}

// libxcb takes the socket, even when the set-up fails, and closes it when
// the connection is closed. A server that turns us away says why, and
// that must not reach standard error.
xcb_connection_t* connect(const Xcb& x, const DisplaySocket& socket) {
  const posix::QuietStandardError quiet;
  if (!socket.cookie) return x.connectToFd(socket.fd, nullptr);
  xcb_auth_info_t authorisation{static_cast<int>(sizeof kMagicCookie - 1),
                                const_cast<char*>(kMagicCookie),
                                static_cast<int>(socket.cookie->size()),
                                const_cast<char*>(socket.cookie->data())};
  return x.connectToFd(socket.fd, &authorisation);
}

}  // namespace

std::unique_ptr<Connection> Connection::open(Deadline& deadline) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return nullptr;
  const Xcb* x = xcb();
  if (x == nullptr) return nullptr;
  const std::optional<DisplaySocket> socket = connectDisplay(display, deadline);
  if (!socket) return nullptr;
  deadline.watch(socket->fd);
  xcb_connection_t* c = connect(*x, *socket);
  if (x->hasError(c)) {
    x->disconnect(c);
    return nullptr;
  }
  const xcb_window_t root = rootOf(*x, c, socket->screen);
  std::unique_ptr<Connection> connection(new Connection(*x, c, root, display));
  if (root == XCB_NONE || !connection->internAtoms(deadline)) return nullptr;
  return connection;
}

Connection::Connection(const Xcb& xcb, xcb_connection_t* connection, xcb_window_t rootWindow,
                       std::string displayName)
    : x(xcb), c(connection), root(rootWindow), display(std::move(displayName)) {}

// Closing sends nothing: every request was carried out when it was made.
Connection::~Connection() { x.disconnect(c); }

int Connection::socket() const { return x.fileDescriptor(c); }

// Only atoms that exist already: one nobody has interned names nothing any
// window could hold, and asking creates nothing on the server.
bool Connection::internAtoms(const Deadline& deadline) {
  unsigned int sequences[static_cast<int>(Name::count)];
  for (int i = 0; i < static_cast<int>(Name::count); ++i) {
    sequences[i] =
        x.internAtom(c, 1, static_cast<std::uint16_t>(std::strlen(kAtomNames[i])), kAtomNames[i])
            .sequence;
  }
  for (int i = 0; i < static_cast<int>(Name::count); ++i) {
    const auto reply = await<xcb_intern_atom_reply_t>(sequences[i], deadline);
    if (reply) atoms_[i] = reply->atom;
  }
  return !gone_;
}

unsigned int Connection::requestProperty(xcb_window_t window, xcb_atom_t name,
                                         std::uint32_t longs) {
  return x.getProperty(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, longs).sequence;
}

Property Connection::awaitProperty(unsigned int sequence, const Deadline& deadline) {
  Property property;
  const auto reply = await<xcb_get_property_reply_t>(sequence, deadline);
  if (!reply) return property;
  property.type = reply->type;
  property.whole = reply->bytes_after == 0;
  const auto* data = static_cast<const char*>(x.propertyValue(reply.get()));
  const int length = x.propertyValueLength(reply.get());
  if (reply->format == 8) {
    property.bytes.assign(data, static_cast<std::size_t>(length));
  } else if (reply->format == 32 && length >= 4) {
    property.items.resize(static_cast<std::size_t>(length) / 4);
    std::memcpy(property.items.data(), data, property.items.size() * 4);
  }
  return property;
}

void Connection::flush() {
  if (!gone_ && x.flush(c) <= 0) gone_ = true;
}

void Connection::sync(const Deadline& deadline) {
  if (!gone_) await<xcb_get_input_focus_reply_t>(x.getInputFocus(c).sequence, deadline);
}

void* Connection::awaitReply(unsigned int sequence, const Deadline& deadline) {
  flush();
  while (!gone_) {
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (x.pollForReply(c, sequence, &reply, &error) != 0) {
      std::free(error);
      if (x.hasError(c)) gone_ = true;
      return reply;
    }
    if (x.hasError(c) || deadline.remaining() == 0) break;
    pollfd ready{socket(), POLLIN, 0};
    if (::poll(&ready, 1, deadline.remaining()) < 0 && errno != EINTR) break;
  }
  gone_ = true;
  return nullptr;
}

}  // namespace x11
