// How long Tarvexel takes on a desktop to choose among 10 window rules, and
// how many times it waits for the X server, side by side with
// `wmctrl -x -a CLASS` (one lookup); and its launch without a display side
// by side with `dash -c '/bin/true; :'`. Each pair runs in turns, so a busy
// machine slows both alike; figures are medians.
//
// The desktop is the benchmark's own Xvfb and openbox, with 30, then 100,
// then 300 windows. The rules: nine name classes and titles that no window
// has; the tenth, on a hit, the class of a window that both searches come to
// last (its section then runs, empty: the figures are those of the
// decision, not of the window manager's work on an activation); on a miss a
// class nobody has, and "default" runs. wmctrl -a brings the window it finds
// to the front; after each of its hits the window is lowered again.
//
// Round trips are counted from outside (bench/round_trips.h).
//
// Usage: tarvexel_bench PATH_TO_TARVEXEL [RUNS]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bench/child_run.h"
#include "bench/round_trips.h"

namespace {

constexpr int kRules = 10;
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

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> list;
  for (std::string& s : strings) list.push_back(s.data());
  list.push_back(nullptr);
  return list;
}

// A program the benchmark keeps running (Xvfb, openbox); stopped and
// collected when it goes.
class Child {
 public:
  // Its standard error goes to /dev/null; `passFd`, if given, becomes its
  // descriptor 3.
  Child(std::vector<std::string> command, std::vector<std::string> environment, int passFd = -1) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (passFd >= 0) posix_spawn_file_actions_adddup2(&actions, passFd, 3);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv = pointers(command);
    std::vector<char*> envp = pointers(environment);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Child() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

 private:
  pid_t pid_ = -1;
};

// Starts Xvfb on a free display; its name, or empty.
std::string startXvfb(std::vector<std::unique_ptr<Child>>& children) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  children.push_back(
      std::make_unique<Child>(std::vector<std::string>{"Xvfb", "-displayfd", "3", "-nolisten",
                                                       "tcp", "-screen", "0", "1280x1024x24"},
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

std::string rules(bool hit) {
  std::string profile;
  for (int i = 0; i < kRules - 1; ++i) {
    profile += "[rule" + std::to_string(i) + "]\n";
    profile += i % 2 == 0 ? "class=Absent" + std::to_string(i) + "\n"
                          : "title=Absent window " + std::to_string(i) + "\n";
    profile += "exec=close\n";
  }
  profile += hit ? "[last]\nclass=Target\n" : "[last]\nclass=Absent\n";
  return profile + "[default]\nsleep=0\n";
}

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

void desktopFigures(const std::string& tarvexel, const std::string& display, int runs,
                    const ScratchFolder& folder) {
  Display* connection = XOpenDisplay(display.c_str());
  if (connection == nullptr || !waitForWindowManager(connection)) {
    std::fprintf(stderr, "the desktop did not start\n");
    std::exit(1);
  }
  DelayingDisplay proxy(display);
  if (proxy.name().empty()) {
    std::fprintf(stderr, "no display socket for counting round trips\n");
    std::exit(1);
  }
  const std::string hit = folder.write("hit.ini", rules(true));
  const std::string miss = folder.write("miss.ini", rules(false));
  std::printf("%-8s %-5s %12s %12s %7s   %s\n", "windows", "case", "tarvexel ms", "wmctrl ms",
              "ratio", "X round trips tarvexel / wmctrl");
  std::vector<Window> fillers;
  Window target = None;
  for (const int count : kWindowCounts) {
    if (!openWindows(connection, fillers, target, count)) {
      std::fprintf(stderr, "the windows could not be opened and stacked\n");
      std::exit(1);
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
    }
  }
  XCloseDisplay(connection);
}

// The launch with no display, as launch_perftest measures it.
void headlessFigures(const std::string& tarvexel, int runs, const ScratchFolder& folder) {
  std::string text;
  for (int i = 0; i < kRules; ++i)
    text +=
        "[rule" + std::to_string(i) + "]\nclass=WindowClass" + std::to_string(i) + "\nexec=close\n";
  const std::string profile =
      folder.write("headless.ini", text + "[default]\nexecSync=/bin/true\n");
  const std::vector<std::string> environment = environmentWith("");
  const Command ours(tarvexel, {"tarvexel", profile}, environment);
  const Command shell("dash", {"dash", "-c", "/bin/true; :"}, environment);
  std::vector<double> a, b;
  for (int i = 0; i < 2 * runs; ++i) {
    a.push_back(ours.run().milliseconds);
    b.push_back(shell.run().milliseconds);
  }
  std::printf(
      "headless launch, 10 rules, execSync=/bin/true: tarvexel %.3f ms, "
      "dash -c '/bin/true; :' %.3f ms, ratio %.3f\n",
      median(a), median(b), median(a) / median(b));
}

// The machine's load average: figures taken under load are noisier.
std::string loadAverage() {
  std::ifstream file("/proc/loadavg");
  std::string line;
  std::getline(file, line);
  return line + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PATH_TO_TARVEXEL [RUNS]\n", argv[0]);
    return 2;
  }
  const std::string tarvexel = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 41;
  const ScratchFolder folder;
  std::vector<std::unique_ptr<Child>> children;  // stopped in reverse on the way out
  const std::string display = startXvfb(children);
  if (display.empty()) {
    std::fprintf(stderr, "could not start Xvfb\n");
    return 1;
  }
  children.push_back(std::make_unique<Child>(std::vector<std::string>{"openbox", "--sm-disable"},
                                             environmentWith(display)));
  std::printf("Tarvexel %s on Xvfb + openbox, medians of %d interleaved runs; load %s",
              tarvexel.c_str(), runs, loadAverage().c_str());
  desktopFigures(tarvexel, display, runs, folder);
  headlessFigures(tarvexel, runs * 5, folder);
  std::printf("load at the end %s", loadAverage().c_str());
  std::printf("reproduce: %s %s %d\n", argv[0], tarvexel.c_str(), runs);
  while (!children.empty()) children.pop_back();
  return 0;
}
