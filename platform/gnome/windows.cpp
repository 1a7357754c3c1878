// The windows of a GNOME Shell session, through the extension Tarvexel
// ships (platform/gnome/extension): GNOME offers other programs no way of
// their own to list, activate or close windows. The extension lists the
// shell's windows topmost first; the list is read once, on the first window
// call, and every rule is answered from it. Activating, closing,
// minimising and bringing a window to the user's workspace are requests
// the extension passes to the shell.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/gnome/bus.h"
#include "platform/posix/utf8.h"
#include "platform/window_list.h"
#include "platform/window_system.h"

namespace {

using gnome::Bus;
using gnome::Message;
using gnome::SdBus;

// Long enough for a busy shell, short enough that a key press that meets a
// hung one still ends soon. The list itself is asked for in the time left
// for choosing the window system.
constexpr std::chrono::milliseconds kTimeout{1000};

// More windows than anyone works with: a reply that lists more is not a
// desktop's, and is not read on.
constexpr std::size_t kMostWindows = 10000;
// The clock is read once for this many windows while the reply is read.
constexpr std::size_t kWindowsBetweenClockReads = 256;

gnome::Method extension(const char* member) {
  return {"org.gnome.Shell", "/org/tarvexel/Windows", "org.tarvexel.Windows1", member};
}

// What the extension's object says of itself: its interface's methods.
constexpr gnome::Method kDescription{"org.gnome.Shell", "/org/tarvexel/Windows",
                                     "org.freedesktop.DBus.Introspectable", "Introspect"};

// How the bus answers a call of a method the extension does not have: one
// installed before it had it, which the shell runs until the user logs in
// again.
constexpr char kUnknownMethod[] = "org.freedesktop.DBus.Error.UnknownMethod";

// "class" matches the WM_CLASS class or instance (where a native Wayland
// window's app id is) or the GTK application id; a name a window lacks is
// empty and matches nothing.
std::vector<std::wstring> classesOf(const char* wmClass, const char* instance, const char* appId) {
  std::vector<std::wstring> classes;
  for (const char* name : {wmClass, instance, appId}) {
    const std::wstring wide = utf8::widenLossless(name);
    if (!wide.empty() && std::find(classes.begin(), classes.end(), wide) == classes.end())
      classes.push_back(wide);
  }
  return classes;
}

struct Listing {
  std::vector<WindowDescription> windows;
  std::vector<std::uint32_t> ids;
};

// The reply to List: an array of (id, class, instance, application id,
// title, focused). False when it is malformed, lists more than kMostWindows
// windows or is not read by `deadline`.
bool readListing(const SdBus& sd, sd_bus_message* reply, Listing& listing,
                 std::chrono::steady_clock::time_point deadline) {
  if (sd.enterContainer(reply, SD_BUS_TYPE_ARRAY, "(ussssb)") <= 0) return false;
  int entered;
  while ((entered = sd.enterContainer(reply, SD_BUS_TYPE_STRUCT, "ussssb")) > 0) {
    const std::size_t count = listing.ids.size();
    if (count == kMostWindows) return false;
    if (count % kWindowsBetweenClockReads == 0 && std::chrono::steady_clock::now() >= deadline)
      return false;
    std::uint32_t id = 0;
    const char* names[4] = {};
    int focused = 0;
    if (sd.read(reply, "ussssb", &id, &names[0], &names[1], &names[2], &names[3], &focused) <= 0 ||
        sd.exitContainer(reply) < 0)
      return false;
    WindowDescription window;
    window.id = std::to_wstring(id);
    window.classes = classesOf(names[0], names[1], names[2]);
    window.title = utf8::widenLossless(names[3]);
    window.front = focused != 0;
    listing.windows.push_back(std::move(window));
    listing.ids.push_back(id);
  }
  return entered == 0 && sd.exitContainer(reply) >= 0;
}

bool inWaylandSession() {
  const char* display = std::getenv("WAYLAND_DISPLAY");
  return display != nullptr && *display != '\0';
}

// The extension's answer: its list of the shell's windows, and the bus it
// came on, which later requests go through. There is one only once the
// extension has answered, so no request can reach a bus that never was.
class Session {
 public:
  Session(const SdBus& sd, Bus bus, Listing listing)
      : sd_(sd),
        bus_(std::move(bus)),
        list_(std::move(listing.windows)),
        ids_(std::move(listing.ids)) {}

  const WindowList& list() const { return list_; }

  // The list with each window's minimised state, asked window by window:
  // only a person's listing needs it, not a rule.
  std::vector<WindowDescription> described() {
    std::vector<WindowDescription> windows = list_.windows();
    for (std::size_t i = 0; i < windows.size(); ++i) {
      const Message reply = bus_.call(extension("IsMinimized"), ids_[i], kTimeout);
      int minimized = 0;
      windows[i].minimized = reply && sd_.read(reply.get(), "b", &minimized) > 0 &&
                             minimized != 0;
    }
    return windows;
  }

  // GNOME gives no window the focus while its overview is shown; the shell
  // offers that state to every program.
  bool overviewShown() {
    const Message reply = bus_.property(
        {"org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "OverviewActive"}, kTimeout);
    int shown = 0;
    return reply && sd_.enterContainer(reply.get(), SD_BUS_TYPE_VARIANT, "b") > 0 &&
           sd_.read(reply.get(), "b", &shown) > 0 && shown != 0;
  }

  // The extension says whether it still knew the window; a window that has
  // gone since the list was read is simply not there to act on.
  void request(const char* member, HWND window) {
    if (list_.at(window) != nullptr)
      bus_.call(extension(member), ids_[list_.indexOf(window)], kTimeout);
  }

  // An extension older than BringHere activates the window where it is.
  void bringHere(HWND window) {
    request("BringHere", window);
    if (bus_.error() == kUnknownMethod) request("Activate", window);
  }

  // Whether the extension can bring windows here, as its object describes
  // itself (which no call of its methods needs, nor changes anything);
  // asked once. A shell that does not say counts as able.
  bool bringsHere() {
    if (!bringsHere_) {
      const Message reply = bus_.call(kDescription, std::nullopt, kTimeout);
      const char* description = nullptr;
      bringsHere_ = !reply || sd_.read(reply.get(), "s", &description) <= 0 ||
                    std::strstr(description, "\"BringHere\"") != nullptr;
    }
    return *bringsHere_;
  }

 private:
  const SdBus& sd_;
  Bus bus_;
  WindowList list_;
  std::vector<std::uint32_t> ids_;
  std::optional<bool> bringsHere_;
};

// An extension that refuses this program (a copy of it elsewhere, or one
// in a sandbox) makes this session's system all the same, with no windows:
// what the user is told then is why.
struct Refusal {
  std::wstring why;
};

// What the first window call found: no extension that answers (the run
// falls back to another window system), its refusal, or a session.
using Found = std::variant<std::monostate, Refusal, Session>;

Found connect() {
  if (!inWaylandSession()) return {};
  const auto end = choosingEnds();
  const SdBus* sd = gnome::sdBus();
  if (sd == nullptr) return {};
  Bus bus(*sd);
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      end - std::chrono::steady_clock::now());
  const Message reply = bus.call(extension("List"), std::nullopt, left);
  Listing listing;
  if (reply && readListing(*sd, reply.get(), listing, end)) {
    return Session(*sd, std::move(bus), std::move(listing));
  }
  if (bus.refusal().empty()) return {};
  return Refusal{utf8::widenLossless(bus.refusal().c_str())};
}

Found& found() {
  static Found running = connect();
  return running;
}

Session* session() { return std::get_if<Session>(&found()); }

const WindowList& list() {
  static const WindowList none;
  const Session* running = session();
  return running != nullptr ? running->list() : none;
}

void request(const char* member, HWND window) {
  if (Session* running = session()) running->request(member, window);
}

std::wstring describe() {
  const Refusal* refusal = std::get_if<Refusal>(&found());
  if (refusal == nullptr) return L"GNOME Shell through the Tarvexel extension";
  return L"GNOME Shell, whose Tarvexel extension refused to list its windows to this program: " +
         refusal->why;
}

HWND findWindow(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  return list().find(className, title, titleMatch);
}

// The list runs topmost first: the last match is the lowest in the stack.
HWND findLeastRecent(LPCWSTR className, LPCWSTR title, TitleMatch titleMatch) {
  const std::vector<HWND> matches = list().findAll(className, title, titleMatch);
  return matches.empty() ? nullptr : matches.back();
}

HWND foregroundWindow() { return list().front(); }

std::wstring whyNoneInFront() {
  Session* running = session();
  if (running == nullptr || !running->overviewShown()) return {};
  return L"GNOME gives no window the focus while its overview (Activities) is open: close it, "
         L"or switch with Alt+Tab, and try again.";
}

std::vector<WindowDescription> listWindows() {
  Session* running = session();
  return running != nullptr ? running->described() : std::vector<WindowDescription>();
}

void activate(HWND window) { request("Activate", window); }
void close(HWND window) { request("Close", window); }
void minimize(HWND window) { request("Minimize", window); }

void bringHere(HWND window) {
  if (Session* running = session()) running->bringHere(window);
}

std::wstring whyNotBroughtHere() {
  Session* running = session();
  if (running == nullptr || running->bringsHere()) return {};
  return L"the Tarvexel extension GNOME Shell runs is older than this program and cannot move "
         L"windows: the window is brought forward where it is. Install the extension that came "
         L"with this program, then log out and in";
}

}  // namespace

namespace gnome {

const WindowSystem* windowSystem() {
  static const WindowSystem system{
      describe, findWindow, findLeastRecent, foregroundWindow, listWindows,      activate,
      close,    minimize,   whyNoneInFront,  bringHere,        whyNotBroughtHere};
  return std::holds_alternative<std::monostate>(found()) ? nullptr : &system;
}

}  // namespace gnome
