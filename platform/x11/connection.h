// The X11 connection a run talks to, through libxcb: opened on the first
// window call when DISPLAY names a display, with every wait bounded.
// Requests are sent in batches and their replies collected after, so that
// a batch costs one round trip however many windows it asks about.
#ifndef TARVEXEL_PLATFORM_X11_CONNECTION_H
#define TARVEXEL_PLATFORM_X11_CONNECTION_H

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/x11/deadline.h"
#include "platform/x11/xcb.h"

namespace x11 {

// The atoms Tarvexel uses, interned together in one round trip.
enum class Name {
  supportingWmCheck,
  supported,
  clientListStacking,
  clientList,
  activeWindow,
  closeWindow,
  netWmName,
  utf8String,
  compoundText,
  wmState,
  wmProtocols,
  wmDeleteWindow,
  wmChangeState,
  currentDesktop,
  wmDesktop,
  count
};

// Replies are the library's malloc'ed memory.
struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// A property as read: bytes for 8-bit formats, items (window ids, atoms,
// numbers) for 32-bit ones. A missing property, or one on a window that has
// gone, has type XCB_NONE. `whole` is false when it was longer than asked.
struct Property {
  xcb_atom_t type = XCB_NONE;
  std::string bytes;
  std::vector<std::uint32_t> items;
  bool whole = true;
};

class Connection {
 public:
  // Null when DISPLAY is unset or empty, libxcb is missing, or the display
  // cannot be reached or does not answer before the deadline.
  static std::unique_ptr<Connection> open(Deadline& deadline);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const Xcb& x;
  xcb_connection_t* const c;
  const xcb_window_t root;
  const std::string display;

  xcb_atom_t atom(Name name) const { return atoms_[static_cast<int>(name)]; }
  int socket() const;
  // True once the server has gone or did not answer in time: nothing more
  // is sent or waited for.
  bool gone() const { return gone_; }

  // The reply to the request numbered `sequence`, or null when the request
  // failed (a window that has gone, say) or no answer came before the
  // deadline. Sends what is still buffered first.
  template <typename T>
  Reply<T> await(unsigned int sequence, const Deadline& deadline) {
    return Reply<T>(static_cast<T*>(awaitReply(sequence, deadline)));
  }

  // Asks for a property; `longs` bounds the length read.
  unsigned int requestProperty(xcb_window_t window, xcb_atom_t name, std::uint32_t longs);
  Property awaitProperty(unsigned int sequence, const Deadline& deadline);
  // Sends what is buffered; requests without a reply go out with it.
  void flush();
  // Sends what is buffered and waits until the server has carried it out.
  // A request must not end with the run before that: a server that finds
  // the connection closed may drop what it had not read yet. Also before a
  // "sleep" or "execSync", which the request should not wait for.
  void sync(const Deadline& deadline);

 private:
  Connection(const Xcb& x, xcb_connection_t* c, xcb_window_t root, std::string display);
  bool internAtoms(const Deadline& deadline);
  void* awaitReply(unsigned int sequence, const Deadline& deadline);

  xcb_atom_t atoms_[static_cast<int>(Name::count)] = {};
  bool gone_ = false;
};

}  // namespace x11

#endif
