#include "platform/x11/client_windows.h"

#include <algorithm>

#include "platform/x11/text.h"

namespace x11 {
namespace {

// Bounds that no real desktop reaches, so that a client writing absurd
// lists or building absurd trees costs a run little: the windows looked at
// (the topmost ones), the length of a list read, and how deep the tree is
// walked below the root's children. A window manager puts a client at most
// two or three windows down into its frame.
constexpr std::size_t kMostWindows = 4096;
constexpr std::uint32_t kMostListed = 64 * 1024;
constexpr std::uint32_t kMostSupported = 4096;
constexpr int kDeepest = 4;
// Titles and classes: 4 KiB holds more than a profile's line can name.
constexpr std::uint32_t kMostTextLongs = 1024;

template <typename T>
std::vector<T> topmostFirst(const T* bottomFirst, std::size_t count) {
  const std::size_t kept = std::min(count, kMostWindows);
  return std::vector<T>(std::make_reverse_iterator(bottomFirst + count),
                        std::make_reverse_iterator(bottomFirst + count - kept));
}

bool holds(const std::vector<xcb_window_t>& windows, xcb_window_t window) {
  return std::find(windows.begin(), windows.end(), window) != windows.end();
}

// WM_CLASS holds the instance name and the class name, each ended by a NUL.
std::vector<std::wstring> namesOf(const std::wstring& text) {
  std::vector<std::wstring> names;
  std::size_t begin = 0;
  while (begin < text.size() && names.size() < 2) {
    std::size_t end = text.find(L'\0', begin);
    if (end == std::wstring::npos) end = text.size();
    names.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  return names;
}

}  // namespace

std::optional<std::wstring> textOf(const Connection& connection, const Property& property) {
  if (property.type == XCB_NONE || !property.items.empty()) return std::nullopt;
  std::optional<std::wstring> text;
  if (property.type == XCB_ATOM_STRING) {
    text = decodeText(TextType::latin1, property.bytes);
  } else if (property.type == connection.atom(Name::utf8String)) {
    text = decodeText(TextType::utf8, property.bytes);
  } else if (property.type == connection.atom(Name::compoundText)) {
    text = decodeText(TextType::compound, property.bytes);
  }
  // A text longer than was read ends in an escape: it equals no text a
  // profile can name, though a person still sees its start.
  if (text && !property.whole) *text += kByteEscapeBase;
  return text;
}

ClientWindows::ClientWindows(Connection& connection, const Deadline& deadline,
                             std::chrono::steady_clock::time_point end)
    : connection_(connection), end_(end) {
  const RootLists lists = readRoot(deadline);
  const bool stacked = offers(Name::clientListStacking) && lists.stacking.type == XCB_ATOM_WINDOW;
  const bool listed = offers(Name::clientList) && lists.clients.type == XCB_ATOM_WINDOW;
  if (managed_ && (stacked || listed)) {
    const Property& list = stacked ? lists.stacking : lists.clients;
    windows_ = topmostFirst(list.items.data(), list.items.size());
  } else {
    walkTree(deadline);
  }
}

bool ClientWindows::offers(Name feature) const {
  const xcb_atom_t atom = connection_.atom(feature);
  return atom != XCB_NONE &&
         std::find(supported_.begin(), supported_.end(), atom) != supported_.end();
}

// Everything the root can tell in one round trip, and the check of the
// window manager in a second. The stacking list runs from the bottom up;
// the plain client list in the order the windows were mapped, so the
// newest window comes first when it is read backwards.
ClientWindows::RootLists ClientWindows::readRoot(const Deadline& deadline) {
  Connection& c = connection_;
  const unsigned int check = c.requestProperty(c.root, c.atom(Name::supportingWmCheck), 1);
  const unsigned int supported = c.requestProperty(c.root, c.atom(Name::supported), kMostSupported);
  const unsigned int stacking =
      c.requestProperty(c.root, c.atom(Name::clientListStacking), kMostListed);
  const unsigned int clients = c.requestProperty(c.root, c.atom(Name::clientList), kMostListed);
  const unsigned int active = c.requestProperty(c.root, c.atom(Name::activeWindow), 1);
  const unsigned int tree = c.x.queryTree(c.c, c.root).sequence;
  const unsigned int focus = c.x.getInputFocus(c.c).sequence;

  const Property named = c.awaitProperty(check, deadline);
  if (named.type == XCB_ATOM_WINDOW && !named.items.empty()) check_ = named.items.front();
  supported_ = c.awaitProperty(supported, deadline).items;
  RootLists lists{c.awaitProperty(stacking, deadline), c.awaitProperty(clients, deadline)};
  const Property activeWindow = c.awaitProperty(active, deadline);
  if (activeWindow.type == XCB_ATOM_WINDOW && !activeWindow.items.empty())
    active_ = activeWindow.items.front();
  if (const auto reply = c.await<xcb_query_tree_reply_t>(tree, deadline)) {
    rootChildren_ = topmostFirst(c.x.treeChildren(reply.get()),
                                 static_cast<std::size_t>(c.x.treeChildrenLength(reply.get())));
  }
  if (const auto reply = c.await<xcb_get_input_focus_reply_t>(focus, deadline))
    focus_ = reply->focus;
  checkWindowManager(deadline);
  return lists;
}

// A window manager that has ended may leave its check window's name behind:
// it runs only while that window names itself.
void ClientWindows::checkWindowManager(const Deadline& deadline) {
  if (check_ == XCB_NONE) return;
  Connection& c = connection_;
  const Property named =
      c.awaitProperty(c.requestProperty(check_, c.atom(Name::supportingWmCheck), 1), deadline);
  managed_ = named.type == XCB_ATOM_WINDOW && !named.items.empty() && named.items.front() == check_;
  if (!managed_) supported_.clear();
}

// Without a window manager's list the clients are found on the screen:
// each of the root's mapped children, topmost first, is a client (it has
// WM_STATE) or a frame with a client inside. The tree is read a level at a
// time, every window of a level in one round trip; at each level the
// topmost client within a frame is taken.
void ClientWindows::walkTree(const Deadline& deadline) {
  struct Candidate {
    std::size_t frame;  // index among the root's children
    xcb_window_t window;
  };
  Connection& c = connection_;
  std::vector<xcb_window_t> clientOf(rootChildren_.size(), XCB_NONE);
  std::vector<Candidate> level;
  for (std::size_t i = 0; i < rootChildren_.size(); ++i) level.push_back({i, rootChildren_[i]});
  for (int depth = 1; depth <= kDeepest && !level.empty(); ++depth) {
    std::vector<unsigned int> attributes, states, trees;
    for (const Candidate& candidate : level) {
      if (depth == 1) attributes.push_back(c.x.getWindowAttributes(c.c, candidate.window).sequence);
      states.push_back(c.requestProperty(candidate.window, c.atom(Name::wmState), 0));
      trees.push_back(c.x.queryTree(c.c, candidate.window).sequence);
    }
    std::vector<Candidate> next;
    for (std::size_t k = 0; k < level.size(); ++k) {
      const Candidate& candidate = level[k];
      bool onScreen = true;
      if (depth == 1) {
        const auto shown = c.await<xcb_get_window_attributes_reply_t>(attributes[k], deadline);
        onScreen = shown && shown->map_state == XCB_MAP_STATE_VIEWABLE;
      }
      const Property state = c.awaitProperty(states[k], deadline);
      const auto tree = c.await<xcb_query_tree_reply_t>(trees[k], deadline);
      if (!onScreen || clientOf[candidate.frame] != XCB_NONE) continue;
      if (state.type != XCB_NONE && state.type == c.atom(Name::wmState)) {
        clientOf[candidate.frame] = candidate.window;
      } else if (tree) {
        const xcb_window_t* children = c.x.treeChildren(tree.get());
        const auto count = static_cast<std::size_t>(c.x.treeChildrenLength(tree.get()));
        for (std::size_t i = count; i > 0 && next.size() < kMostWindows; --i)
          next.push_back({candidate.frame, children[i - 1]});
      }
    }
    level.clear();
    for (const Candidate& candidate : next)
      if (clientOf[candidate.frame] == XCB_NONE) level.push_back(candidate);
  }
  for (const xcb_window_t client : clientOf)
    if (client != XCB_NONE) windows_.push_back(client);
}

std::chrono::milliseconds ClientWindows::timeLeft() const {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      end_ - std::chrono::steady_clock::now());
  return std::max(left, std::chrono::milliseconds(0));
}

// One round trip for every window: all requests out, then all replies in.
// Once the deadline has passed nothing more is asked: the column reads as
// empty.
std::vector<Property> ClientWindows::readColumn(const std::vector<xcb_window_t>& windows,
                                                xcb_atom_t name, std::uint32_t longs) {
  std::vector<Property> column(windows.size());
  if (windows.empty() || name == XCB_NONE || connection_.gone() || timeLeft().count() == 0)
    return column;
  const Deadline deadline(connection_.socket(), timeLeft());
  std::vector<unsigned int> sequences;
  sequences.reserve(windows.size());
  for (const xcb_window_t window : windows)
    sequences.push_back(connection_.requestProperty(window, name, longs));
  for (std::size_t i = 0; i < windows.size(); ++i)
    column[i] = connection_.awaitProperty(sequences[i], deadline);
  return column;
}

// The window that holds the input focus, or the window it lies in: a
// client may give the focus to a window of its own inside its top-level
// window.
xcb_window_t ClientWindows::front() {
  if (front_) return *front_;
  front_ = XCB_NONE;
  if (managed_ && offers(Name::activeWindow)) {
    front_ = active_;
  } else if (holds(windows_, focus_)) {
    front_ = focus_;
  } else if (focus_ != XCB_NONE && focus_ != XCB_INPUT_FOCUS_POINTER_ROOT &&
             focus_ != connection_.root && !connection_.gone() && timeLeft().count() > 0) {
    const Deadline deadline(connection_.socket(), timeLeft());
    const auto tree = connection_.await<xcb_query_tree_reply_t>(
        connection_.x.queryTree(connection_.c, focus_).sequence, deadline);
    if (tree && holds(windows_, tree->parent)) front_ = tree->parent;
  }
  return *front_;
}

const std::vector<std::vector<std::wstring>>& ClientWindows::classes() {
  if (classes_) return *classes_;
  classes_.emplace();
  for (const Property& property : readColumn(windows_, XCB_ATOM_WM_CLASS, kMostTextLongs)) {
    const std::optional<std::wstring> text = textOf(connection_, property);
    classes_->push_back(text ? namesOf(*text) : std::vector<std::wstring>());
  }
  return *classes_;
}

const std::vector<std::optional<std::wstring>>& ClientWindows::titles() {
  if (titles_) return *titles_;
  titles_.emplace();
  const std::vector<Property> names =
      readColumn(windows_, connection_.atom(Name::netWmName), kMostTextLongs);
  std::vector<xcb_window_t> legacy;
  for (std::size_t i = 0; i < windows_.size(); ++i)
    if (names[i].type == XCB_NONE) legacy.push_back(windows_[i]);
  const std::vector<Property> legacyNames = readColumn(legacy, XCB_ATOM_WM_NAME, kMostTextLongs);
  std::size_t next = 0;
  for (const Property& name : names)
    titles_->push_back(textOf(connection_, name.type == XCB_NONE ? legacyNames[next++] : name));
  return *titles_;
}

std::vector<bool> ClientWindows::iconic() {
  constexpr std::uint32_t kIconicState = 3;
  std::vector<bool> minimized;
  const xcb_atom_t wmState = connection_.atom(Name::wmState);
  for (const Property& state : readColumn(windows_, wmState, 1))
    minimized.push_back(state.type == wmState && !state.items.empty() &&
                        state.items.front() == kIconicState);
  return minimized;
}

}  // namespace x11
