// The X11 table: how long Tarvexel takes to choose among 10 window rules,
// and how many times it waits for the X server, side by side with
// `wmctrl -x -a CLASS` (one lookup). Each pair runs in turns, so a busy
// machine slows both alike; figures are medians.
//
// The desktop is the benchmark's own Xvfb and openbox, with 30, then 100,
// then 300 windows. On a hit the tenth rule names the class of a window
// that both searches come to last; on a miss a class nobody has, and
// "default" runs. wmctrl -a brings the window it finds to the front; after
// each of its hits the window is lowered again.
//
// Round trips are counted from outside (bench/round_trips.h).
#include "bench/x11_desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/child_run.h"
#include "bench/round_trips.h"
#include "bench/ten_rules.h"

namespace {

constexpr int kWindowCounts[] = {30, 100, 300};
// How long the go-between holds each answer when counting round trips.
constexpr int kShortHoldMs = 20;
constexpr int kLongHoldMs = 150;
constexpr double kFewRoundTrips = 30;

std::vector<std::string> environmentWith(const std::string& display) {
  std::vector<std::string> variables = environmentWithout({"DISPLAY", "WAYLAND_DISPLAY"});
  if (!display.empty()) variables.push_back("DISPLAY=" + display);
  return variables;
}

// Starts Xvfb on a free display; its name, or empty.
std::string startXvfb(std::vector<std::unique_ptr<BackgroundProcess>>& children) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  children.push_back(std::make_unique<BackgroundProcess>(
      "Xvfb",
      std::vector<std::string>{"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0",
                               "1280x1024x24"},
      environmentWith(""), fds[1]));
  close(fds[1]);
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  return number.empty() ? std::string() : ":" + number;
}

std::vector<Window> rootWindows(Display* display, const char* list, long most) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::vector<Window> windows;
  if (XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, list, False), 0,
                         most, False, XA_WINDOW, &type, &format, &count, &after,
                         &data) == Success &&
      data) {
    const auto* items = reinterpret_cast<const long*>(data);
    for (unsigned long i = 0; i < count; ++i) windows.push_back(static_cast<Window>(items[i]));
    XFree(data);
  }
  return windows;
}

bool waitFor(const std::function<bool()>& done) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return false;
}

Window createWindow(Display* display, int place, const std::string& instance,
                    const std::string& className, const std::string& title) {
  const Window window =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 20 + place % 50 * 10,
                          20 + place % 50 * 10, 300, 200, 0, 0, 0);
  const std::string names = instance + '\0' + className + '\0';
  XChangeProperty(display, window, XA_WM_CLASS, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(names.data()),
                  static_cast<int>(names.size()));
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                  XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()),
                  static_cast<int>(title.size()));
  XMapWindow(display, window);
  return window;
}

// Waits until the window manager has taken every window in. One that has
// just started can miss a window mapped in that moment; mapping it again
// asks once more.
bool allTakenIn(Display* display, const std::vector<Window>& windows) {
  int attempt = 0;
  return waitFor([&] {
    XSync(display, False);
    const std::vector<Window> listed = rootWindows(display, "_NET_CLIENT_LIST", 4096);
    const std::set<Window> taken(listed.begin(), listed.end());
    bool all = true;
    for (const Window window : windows) {
      if (taken.count(window)) continue;
      all = false;
      if (++attempt % 40 == 0) {
        XUnmapWindow(display, window);
        XMapWindow(display, window);
      }
    }
    return all;
  });
}

// Puts the target back at the bottom of the stack after a run brought it
// to the front.
bool lowerTarget(Display* display, Window target) {
  XLowerWindow(display, target);
  XSync(display, False);
  return waitFor([&] {
    const std::vector<Window> stack = rootWindows(display, "_NET_CLIENT_LIST_STACKING", 4096);
    return !stack.empty() && stack.front() == target;
  });
}

// `count` windows, each with a class and a title of its own: fillers, and
// the target, made anew as the newest (last in the window manager's plain
// list, which wmctrl searches) and lowered to the bottom of the stack
// (last in the stacking list, which Tarvexel searches topmost first).
bool openWindows(Display* display, std::vector<Window>& fillers, Window& target, int count) {
  if (target != None) XDestroyWindow(display, target);
  for (int i = static_cast<int>(fillers.size()); i < count - 1; ++i) {
    fillers.push_back(createWindow(display, i, "bench" + std::to_string(i),
                                   "Bench" + std::to_string(i), "Window " + std::to_string(i)));
  }
  target = createWindow(display, count, "target", "Target", "Target window");
  std::vector<Window> all = fillers;
  all.push_back(target);
  return allTakenIn(display, all) && lowerTarget(display, target);
}

bool waitForWindowManager(Display* display) {
  return waitFor([&] { return !rootWindows(display, "_NET_SUPPORTING_WM_CHECK", 1).empty(); });
}

std::string rules(bool hit) { return tenRules(hit ? "class=Target\n" : "class=Absent\n"); }

struct Pair {
  double ours, theirs;
};

// Runs the two in turns; after each hit the found window is lowered again.
Pair interleaved(const Command& ours, const Command& theirs, int runs, Display* display,
                 Window target, bool hit) {
  std::vector<double> a, b;
  for (int i = 0; i < runs; ++i) {
    a.push_back(ours.run().milliseconds);
    b.push_back(theirs.run().milliseconds);
    if (hit) lowerTarget(display, target);
  }
  return {median(a), median(b)};
}

// The time a run through the go-between gains when it holds every answer
// `holdMs`, in holds (medians of three runs each way, in turns).
double holdsGained(DelayingDisplay& proxy, const Command& command, Display* display, Window target,
                   bool hit, int holdMs) {
  std::vector<double> quick, slow;
  for (int i = 0; i < 3; ++i) {
    for (const int hold : {0, holdMs}) {
      proxy.hold(hold);
      (hold == 0 ? quick : slow).push_back(command.run().milliseconds);
      if (hit) lowerTarget(display, target);
    }
  }
  proxy.hold(0);
  return (median(slow) - median(quick)) / holdMs;
}

// Counted with a short hold first; a count that small is counted again
// with a long one, which a busy machine's jitter cannot blur.
long roundTrips(DelayingDisplay& proxy, const Command& command, Display* display, Window target,
                bool hit) {
  const double rough = holdsGained(proxy, command, display, target, hit, kShortHoldMs);
  if (rough > kFewRoundTrips) return std::lround(rough);
  return std::lround(holdsGained(proxy, command, display, target, hit, kLongHoldMs));
}

// Prints the table's rows on `display`; returns the times at 30 windows.
DecideTimes tableOn(const std::string& tarvexel, const std::string& display, int runs,
                    const ScratchFolder& folder) {
  Display* connection = XOpenDisplay(display.c_str());
  if (connection == nullptr || !waitForWindowManager(connection)) {
    throw std::runtime_error("the X11 desktop did not start");
  }
  DelayingDisplay proxy(display);
  if (proxy.name().empty()) throw std::runtime_error("no display socket for counting round trips");
  const std::string hit = folder.write("hit.ini", rules(true));
  const std::string miss = folder.write("miss.ini", rules(false));
  std::printf("%-8s %-5s %12s %12s %7s   %s\n", "windows", "case", "tarvexel ms", "wmctrl ms",
              "ratio", "X round trips tarvexel / wmctrl");
  std::vector<Window> fillers;
  Window target = None;
  DecideTimes atThirty{};
  for (const int count : kWindowCounts) {
    if (!openWindows(connection, fillers, target, count)) {
      throw std::runtime_error("the X11 windows could not be opened and stacked");
    }
    for (const bool isHit : {true, false}) {
      const std::string profile = isHit ? hit : miss;
      const std::string wanted = isHit ? "Target" : "Absent";
      const auto ours = [&](const std::string& on) {
        return Command(tarvexel, {"tarvexel", profile}, environmentWith(on));
      };
      const auto theirs = [&](const std::string& on) {
        return Command("wmctrl", {"wmctrl", "-x", "-a", wanted}, environmentWith(on));
      };
      const Pair times =
          interleaved(ours(display), theirs(display), runs, connection, target, isHit);
      const long oursTrips = roundTrips(proxy, ours(proxy.name()), connection, target, isHit);
      const long theirTrips = roundTrips(proxy, theirs(proxy.name()), connection, target, isHit);
      std::printf("%-8d %-5s %12.2f %12.2f %7.2f   %ld / %ld\n", count, isHit ? "hit" : "miss",
                  times.ours, times.theirs, times.ours / times.theirs, oursTrips, theirTrips);
      std::fflush(stdout);
      if (count == kWindowCounts[0]) (isHit ? atThirty.hit : atThirty.miss) = times.ours;
    }
  }
  XCloseDisplay(connection);
  return atThirty;
}

}  // namespace

DecideTimes x11Table(const std::string& tarvexel, int runs, const ScratchFolder& folder) {
  std::vector<std::unique_ptr<BackgroundProcess>> children;  // stopped in reverse on the way out
  const std::string display = startXvfb(children);
  if (display.empty()) throw std::runtime_error("could not start Xvfb");
  children.push_back(std::make_unique<BackgroundProcess>(
      "openbox", std::vector<std::string>{"openbox", "--sm-disable"}, environmentWith(display)));
  std::printf("X11, Xvfb + openbox: 10 rules against wmctrl -x -a CLASS, medians of %d runs\n",
              runs);
  const DecideTimes atThirty = tableOn(tarvexel, display, runs, folder);
  while (!children.empty()) children.pop_back();
  return atThirty;
}
