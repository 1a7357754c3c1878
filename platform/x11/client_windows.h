// The windows a run searches, read once for the whole run: the list on the
// first search, each column (classes, titles) when a rule first asks about
// it. Selection changes no window before the chosen section runs, so every
// rule answered from it gets the answer a fresh reading would give.
#ifndef TARVEXEL_PLATFORM_X11_CLIENT_WINDOWS_H
#define TARVEXEL_PLATFORM_X11_CLIENT_WINDOWS_H

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/x11/connection.h"

namespace x11 {

class ClientWindows {
 public:
  // Reads the root's lists, or walks the window tree where no EWMH window
  // manager keeps a list. Every reading, the columns read later included,
  // shares the deadline of the connection: `end`.
  ClientWindows(Connection& connection, const Deadline& deadline,
                std::chrono::steady_clock::time_point end);

  // The client windows, topmost first.
  const std::vector<xcb_window_t>& windows() const { return windows_; }
  // An EWMH window manager runs (its check window names itself).
  bool managed() const { return managed_; }
  bool offers(Name feature) const;
  xcb_window_t checkWindow() const { return check_; }

  // The window in front: the window manager's active window, or without
  // one the client that holds the input focus. XCB_NONE when none.
  xcb_window_t front();
  // Per window, in the order of windows(): the instance and the class of
  // WM_CLASS, nothing where it cannot be read.
  const std::vector<std::vector<std::wstring>>& classes();
  // Per window: _NET_WM_NAME, or WM_NAME where that is missing.
  const std::vector<std::optional<std::wstring>>& titles();
  // Per window: minimised (WM_STATE iconic), which every window manager
  // keeps, EWMH or not. Read only for a person's listing.
  std::vector<bool> iconic();

 private:
  struct RootLists {
    Property stacking;  // bottom first
    Property clients;   // oldest first
  };
  RootLists readRoot(const Deadline& deadline);
  void checkWindowManager(const Deadline& deadline);
  void walkTree(const Deadline& deadline);
  std::vector<Property> readColumn(const std::vector<xcb_window_t>& windows, xcb_atom_t name,
                                   std::uint32_t longs);
  std::chrono::milliseconds timeLeft() const;

  Connection& connection_;
  const std::chrono::steady_clock::time_point end_;
  xcb_window_t check_ = XCB_NONE;
  bool managed_ = false;
  std::vector<std::uint32_t> supported_;
  std::vector<xcb_window_t> windows_;
  // Read with the root's lists, in case they are needed.
  std::vector<xcb_window_t> rootChildren_;  // topmost first
  xcb_window_t active_ = XCB_NONE;
  xcb_window_t focus_ = XCB_NONE;
  std::optional<xcb_window_t> front_;
  std::optional<std::vector<std::vector<std::wstring>>> classes_;
  std::optional<std::vector<std::optional<std::wstring>>> titles_;
};

// The text of a WM_CLASS or title property as its type encodes it;
// nullopt for a type that holds no text.
std::optional<std::wstring> textOf(const Connection& connection, const Property& property);

}  // namespace x11

#endif
