// How long Tarvexel takes from start to exit:
//  (a) on an X11 desktop, deciding among 10 window rules with 30 windows
//      open;
//  (b) the same on headless sway and headless KWin, Wayland compositors,
//      with 30 windows of the desktop tests' Wayland helper;
//  (c) without a display, on a small profile;
//  (d) the same as (b) in a headless GNOME Shell session, through
//      Tarvexel's extension.
// Each figure is the median of many runs of the real binary, timed from
// spawn to exit. Without DISPLAY the benchmark starts its own Xvfb and
// openbox for (a); it always starts its own sway (as nobody: sway refuses
// root) and KWin for (b), which takes root. It stops them all at the end.
// For (d) the desktop tests' driver starts the session (its --run form)
// and runs this program once more inside it, with --in-gnome-session.
//
// Usage: tarvexel_bench PATH_TO_TARVEXEL [RUNS]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr int kWindows = 30;
constexpr int kRules = 10;
constexpr int kNobody = 65534;

using Clock = std::chrono::steady_clock;

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// This environment without a display of either kind, plus `added`.
std::vector<std::string> environmentWith(const std::vector<std::string>& added) {
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string variable = *entry;
    if (!startsWith(variable, "DISPLAY=") && !startsWith(variable, "WAYLAND_DISPLAY=") &&
        !startsWith(variable, "XDG_RUNTIME_DIR=")) {
      variables.push_back(variable);
    }
  }
  variables.insert(variables.end(), added.begin(), added.end());
  return variables;
}

std::vector<std::string> environmentWith(const std::string& display) {
  return display.empty() ? environmentWith(std::vector<std::string>{})
                         : environmentWith(std::vector<std::string>{"DISPLAY=" + display});
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> list;
  for (std::string& s : strings) list.push_back(s.data());
  list.push_back(nullptr);
  return list;
}

// A program started by the benchmark; stopped and collected when it goes.
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

// Runs the program to its end; the time it took, or a negative time when
// it failed.
double runOnce(const std::string& program, const std::string& profile,
               std::vector<std::string> environment) {
  std::vector<std::string> command{program, profile};
  std::vector<char*> argv = pointers(command);
  std::vector<char*> envp = pointers(environment);
  const Clock::time_point start = Clock::now();
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0)
    return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ms : -1;
}

struct Figures {
  double median, low, high;  // high: the 90th percentile
};

bool measure(const std::string& program, const std::string& profile,
             const std::vector<std::string>& environment, int runs, Figures& figures) {
  std::vector<double> times;
  for (int i = 0; i < 10; ++i) runOnce(program, profile, environment);  // warm the caches
  for (int i = 0; i < runs; ++i) {
    const double ms = runOnce(program, profile, environment);
    if (ms < 0) return false;
    times.push_back(ms);
  }
  std::sort(times.begin(), times.end());
  figures = {times[times.size() / 2], times.front(), times[times.size() * 9 / 10]};
  return true;
}

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

std::vector<Window> listedWindows(Display* display) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::vector<Window> list;
  const Atom clientList = XInternAtom(display, "_NET_CLIENT_LIST", False);
  if (XGetWindowProperty(display, DefaultRootWindow(display), clientList, 0, 4096, False, XA_WINDOW,
                         &type, &format, &count, &after, &data) == Success &&
      data) {
    const auto* items = reinterpret_cast<const long*>(data);
    for (unsigned long i = 0; i < count; ++i) list.push_back(static_cast<Window>(items[i]));
    XFree(data);
  }
  return list;
}

// 30 windows, each with a class and a title of its own, all taken in by
// the window manager. One that has just started can miss a window mapped
// in that moment; mapping it again asks once more.
bool openWindows(Display* display, std::vector<Window>& windows) {
  const Window root = DefaultRootWindow(display);
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  for (int i = 0; i < kWindows; ++i) {
    const Window window =
        XCreateSimpleWindow(display, root, 20 + i * 10, 20 + i * 10, 300, 200, 0, 0, 0);
    const std::string names =
        "bench" + std::to_string(i) + '\0' + "Bench" + std::to_string(i) + '\0';
    XChangeProperty(display, window, XA_WM_CLASS, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(names.data()),
                    static_cast<int>(names.size()));
    const std::string title = "Window " + std::to_string(i);
    XChangeProperty(display, window, netName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    XMapWindow(display, window);
    windows.push_back(window);
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    XSync(display, False);
    const std::vector<Window> listed = listedWindows(display);
    const std::set<Window> taken(listed.begin(), listed.end());
    int missing = 0;
    for (const Window window : windows) {
      if (taken.count(window)) continue;
      ++missing;
      if (attempt % 10 == 9) {
        XUnmapWindow(display, window);
        XMapWindow(display, window);
      }
    }
    if (missing == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// Nine rules that match none of the windows, so each one looks at all 30,
// and a tenth that matches only one window: on X11 the one at the bottom of
// the stack; on Wayland the first the helper opened.
std::string tenRules(const std::string& lastClass) {
  std::string profile;
  for (int i = 0; i < kRules - 1; ++i) {
    profile += "[rule" + std::to_string(i) + "]\n";
    profile += i % 2 == 0 ? "class=Absent" + std::to_string(i) + "\n"
                          : "title=Absent window " + std::to_string(i) + "\n";
    profile += "exec=close\n";
  }
  profile += "[last]\nclass=" + lastClass + "\ntitle=Window 0\n";
  profile += "[default]\nsleep=0\n";
  return profile;
}

bool waitForWindowManager(Display* display) {
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  for (int attempt = 0; attempt < 200; ++attempt) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data) == Success &&
        data) {
      XFree(data);
      if (count == 1) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// Starts Xvfb on a free display; its number, or empty.
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

bool waitForFile(const std::string& path, const std::string& holding) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    std::ifstream file(path);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (text.find(holding) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// A compositor run from `home` by `owner`, with its runtime folder there,
// that runs home/ready.sh once it is up: the script writes the socket's
// name. The variables its clients need, or none when it did not start.
std::vector<std::string> startCompositor(const std::string& home, uid_t owner,
                                         const std::vector<std::string>& command,
                                         const std::vector<std::string>& variables,
                                         std::vector<std::unique_ptr<Child>>& children) {
  const std::string runtime = home + "/run";
  const std::string ready = home + "/ready";
  writeFile(home + "/ready.sh", "#!/bin/sh\necho \"$WAYLAND_DISPLAY\" >" + ready +
                                    ".part && mv " + ready + ".part " + ready + "\n");
  if (chmod((home + "/ready.sh").c_str(), 0755) != 0 || mkdir(runtime.c_str(), 0700) != 0) {
    return {};
  }
  for (const std::string& path : {home, runtime, home + "/ready.sh"}) {
    if (chown(path.c_str(), owner, owner) != 0) return {};
  }
  const char* path = std::getenv("PATH");
  std::vector<std::string> environment{std::string("PATH=") + (path ? path : "/usr/bin:/bin"),
                                       "HOME=" + home, "XDG_RUNTIME_DIR=" + runtime};
  environment.insert(environment.end(), variables.begin(), variables.end());
  children.push_back(std::make_unique<Child>(command, environment));
  if (!waitForFile(ready, "\n")) return {};
  std::ifstream file(ready);
  std::string name;
  std::getline(file, name);
  return {"WAYLAND_DISPLAY=" + name, "XDG_RUNTIME_DIR=" + runtime};
}

// Headless sway runs as nobody: it refuses root.
std::vector<std::string> startSway(const std::string& home,
                                   std::vector<std::unique_ptr<Child>>& children) {
  const std::string config = home + "/config";
  writeFile(config, "xwayland disable\nexec " + home + "/ready.sh\n");
  return startCompositor(
      home, kNobody,
      {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "sway", "-c", config},
      {"WLR_BACKENDS=headless", "WLR_RENDERER=pixman"}, children);
}

// Headless KWin, from a copy of its binary: the installed one carries a
// file capability that a sandbox may refuse. Any client may use its window
// management here, without a desktop file.
std::vector<std::string> startKwin(const std::string& home,
                                   std::vector<std::unique_ptr<Child>>& children) {
  std::error_code failed;
  std::filesystem::create_directory(home + "/bin", failed);
  std::filesystem::copy_file("/usr/bin/kwin_wayland", home + "/bin/kwin_wayland", failed);
  if (failed) return {};
  return startCompositor(
      home, 0,
      {home + "/bin/kwin_wayland", "--virtual", "--socket", "tarvexel-bench", "--no-lockscreen",
       "--no-global-shortcuts", "--no-kactivities", "--width", "1280", "--height", "720",
       home + "/ready.sh"},
      {"KWIN_COMPOSE=Q", "KWIN_WAYLAND_NO_PERMISSION_CHECKS=1"}, children);
}

// 30 windows of the tests' helper, app id "Bench", titled "Window 0" to
// "Window 29"; true once the compositor lists them.
bool openWaylandWindows(const std::string& home, const std::vector<std::string>& environment,
                        std::vector<std::unique_ptr<Child>>& children) {
  const std::string record = home + "/windows.log";
  children.push_back(std::make_unique<Child>(
      std::vector<std::string>{WAYLAND_WINDOW_HELPER, record, "--class", "Bench", "--title",
                               "Window", "--count", std::to_string(kWindows)},
      environment));
  return waitForFile(record, "ready");
}

// Starts a compositor in `home` with `start`, opens 30 windows there and
// measures; then stops the windows and the compositor.
bool measureWayland(const std::string& program, const std::string& rules, const std::string& home,
                    std::vector<std::string> (*start)(const std::string&,
                                                      std::vector<std::unique_ptr<Child>>&),
                    int runs, Figures& figures) {
  std::vector<std::unique_ptr<Child>> children;  // stopped in reverse on the way out
  if (mkdir(home.c_str(), 0755) != 0) return false;
  const std::vector<std::string> variables = start(home, children);
  const std::vector<std::string> environment = environmentWith(variables);
  const bool ok = !variables.empty() && openWaylandWindows(home, environment, children) &&
                  measure(program, rules, environment, runs, figures);
  while (!children.empty()) children.pop_back();
  return ok;
}

// True once a run on `profile` ends with status 0, within ten seconds.
bool succeedsSoon(const std::string& program, const std::string& profile,
                  const std::vector<std::string>& environment) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (runOnce(program, profile, environment) >= 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// (d), inside the session: the same 30 windows and rules as (b). A profile
// whose one rule needs the lowest window and that has no "default" ends
// with status 1 until the extension lists that window, so no figure is
// taken on a fallback that sees none. The figures go to `record`.
int measureInGnomeSession(const std::string& program, const std::string& record, int runs) {
  const char* display = std::getenv("WAYLAND_DISPLAY");
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  char folder[] = "/tmp/tarvexel-bench-gnome-XXXXXX";
  if (!display || !runtime || mkdtemp(folder) == nullptr) return 1;
  const std::string rules = std::string(folder) + "/rules.ini";
  const std::string check = std::string(folder) + "/lowest-only.ini";
  writeFile(rules, tenRules("Bench"));
  writeFile(check, "[last]\nclass=Bench\ntitle=Window 0\nsleep=0\n");
  const std::vector<std::string> environment = environmentWith(
      std::vector<std::string>{std::string("WAYLAND_DISPLAY=") + display,
                               std::string("XDG_RUNTIME_DIR=") + runtime});
  std::vector<std::unique_ptr<Child>> windows;
  Figures figures{};
  const bool ok = openWaylandWindows(folder, environment, windows) &&
                  succeedsSoon(program, check, environment) &&
                  measure(program, rules, environment, runs, figures);
  windows.clear();
  std::filesystem::remove_all(folder);
  if (!ok) return 1;
  std::ofstream(record) << figures.median << ' ' << figures.low << ' ' << figures.high << '\n';
  return 0;
}

// (d): the desktop tests' driver starts a GNOME Shell session of its own,
// runs this program inside it and stops it again.
bool measureGnome(const std::string& program, const std::string& folder,
                  int runs, Figures& figures) {
  const std::string record = folder + "/gnome-figures";
  const std::string self = std::filesystem::read_symlink("/proc/self/exe");
  std::vector<std::string> command{"bash", TARVEXEL_DESKTOP_TEST, "gnome", "--run", self,
                                   "--in-gnome-session", record, program, std::to_string(runs)};
  std::vector<std::string> environment = environmentWith("");
  environment.push_back(std::string("GNOME_EXTENSION=") + TARVEXEL_GNOME_EXTENSION);
  std::vector<char*> argv = pointers(command);
  std::vector<char*> envp = pointers(environment);
  pid_t pid;
  int status = 0;
  if (posix_spawnp(&pid, "bash", nullptr, nullptr, argv.data(), envp.data()) != 0 ||
      waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return false;
  std::ifstream figuresFile(record);
  return static_cast<bool>(figuresFile >> figures.median >> figures.low >> figures.high);
}

void print(const char* what, const Figures& f, int runs) {
  std::printf("%-46s median %6.2f ms   min %6.2f ms   p90 %6.2f ms   (%d runs)\n", what, f.median,
              f.low, f.high, runs);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--in-gnome-session")
    return measureInGnomeSession(argv[3], argv[2], std::max(1, std::atoi(argv[4])));
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PATH_TO_TARVEXEL [RUNS]\n", argv[0]);
    return 2;
  }
  const std::string program = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
  char folder[] = "/tmp/tarvexel-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr || chmod(folder, 0755) != 0) return 1;
  const std::string x11Rules = std::string(folder) + "/x11-rules.ini";
  const std::string waylandRules = std::string(folder) + "/wayland-rules.ini";
  const std::string small = std::string(folder) + "/small.ini";
  writeFile(x11Rules, tenRules("Bench0"));
  writeFile(waylandRules, tenRules("Bench"));
  writeFile(small, "[mail]\nclass=Mailer\nexec=close\n[default]\nsleep=0\n");

  std::vector<std::unique_ptr<Child>> children;  // stopped in reverse on the way out
  const char* given = std::getenv("DISPLAY");
  std::string display = given && *given ? given : "";
  if (display.empty()) {
    display = startXvfb(children);
    if (display.empty()) {
      std::fprintf(stderr, "could not start Xvfb\n");
      return 1;
    }
    children.push_back(std::make_unique<Child>(std::vector<std::string>{"openbox", "--sm-disable"},
                                               environmentWith(display)));
  }
  Display* connection = XOpenDisplay(display.c_str());
  std::vector<Window> windows;
  Figures x11{}, sway{}, kwin{}, headless{}, gnome{};
  bool ok = connection && waitForWindowManager(connection) && openWindows(connection, windows) &&
            measure(program, x11Rules, environmentWith(display), runs, x11) &&
            measure(program, small, environmentWith(""), runs, headless);
  if (connection) XCloseDisplay(connection);
  ok = ok && measureWayland(program, waylandRules, std::string(folder) + "/sway", startSway, runs,
                            sway);
  ok = ok && measureWayland(program, waylandRules, std::string(folder) + "/kwin", startKwin, runs,
                            kwin);
  ok = ok && measureGnome(program, folder, runs, gnome);
  while (!children.empty()) children.pop_back();
  std::filesystem::remove_all(folder);
  if (!ok) {
    std::fprintf(stderr, "the benchmark could not be set up or a run failed\n");
    return 1;
  }
  std::printf("Tarvexel start to exit, %s\n", program.c_str());
  print("X11 (openbox): 10 rules, 30 windows", x11, runs);
  print("Wayland (headless sway): 10 rules, 30 windows", sway, runs);
  print("Wayland (headless KWin): 10 rules, 30 windows", kwin, runs);
  print("GNOME Shell (headless): 10 rules, 30 windows", gnome, runs);
  print("without a display: small profile", headless, runs);
  std::printf("reproduce: %s %s %d   (DISPLAY %s)\n", argv[0], program.c_str(), runs,
              given && *given ? "given: that desktop is used" : "unset: own Xvfb and openbox");
  return 0;
}
