#include "bench/wayland_desktops.h"

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kWindows = 30;

bool waitFor(bool (*done)(const std::string&), const std::string& argument) {
  for (int attempt = 0; attempt < 400; ++attempt) {
    if (done(argument)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  return false;
}

bool saysReady(const std::string& record) {
  std::ifstream file(record);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return text.find("ready") != std::string::npos;
}

double medianOf(const Command& command, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const ChildRun run = command.run();
    if (run.status != 0) throw std::runtime_error("a run on the Wayland desktop failed");
    times.push_back(run.milliseconds);
  }
  return median(times);
}

}  // namespace

int measureInsideDesktop(const std::string& record, const std::string& tarvexel, int runs) {
  const ScratchFolder folder;
  const std::string windows = folder.write("windows.log", "");
  // Only the compositor's own variables: through XWayland the launcher
  // would search X11 instead.
  const std::vector<std::string> environment = environmentWithout({"DISPLAY"});
  // The helper titles its windows "Window 0" to "Window 29"; the first is
  // the one every search reaches last (GNOME lists topmost first, sway and
  // KWin in the order of opening, the activated window first).
  const BackgroundProcess helper(WAYLAND_WINDOW_HELPER,
                                 {"wayland_window_helper", windows, "--class", "Bench", "--title",
                                  "Window", "--count", std::to_string(kWindows)},
                                 environment);
  if (!waitFor(saysReady, windows)) return 1;
  // A profile without "default" ends with status 1 until the desktop lists
  // the window: no figure is taken on a service that sees none yet.
  const Command check(tarvexel,
                      {"tarvexel", folder.write("check.ini", "[w]\nclass=Bench\ntitle=Window 0\n")},
                      environment);
  int attempt = 0;
  while (check.run().status != 0) {
    if (++attempt == 400) return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  const std::string hit = folder.write("hit.ini", tenRules("class=Bench\ntitle=Window 0\n"));
  const std::string miss = folder.write("miss.ini", tenRules("class=Absent\n"));
  const double hitMs = medianOf(Command(tarvexel, {"tarvexel", hit}, environment), runs);
  const double missMs = medianOf(Command(tarvexel, {"tarvexel", miss}, environment), runs);
  std::ofstream(record) << hitMs << ' ' << missMs << '\n';
  return 0;
}

std::optional<DecideTimes> waylandDecideTimes(const std::string& system,
                                              const std::string& tarvexel, int runs,
                                              const ScratchFolder& folder) {
  const std::string record = folder.write(system + "-figures", "");
  char self[4096];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return std::nullopt;
  std::vector<std::string> environment =
      environmentWithout({"DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"});
  environment.push_back(std::string("GNOME_EXTENSION_BUILDS=") +
                        TARVEXEL_GNOME_EXTENSION_BUILDS);
  environment.push_back(std::string("WAYLAND_WINDOW_HELPER=") + WAYLAND_WINDOW_HELPER);
  const Command driver("bash",
                       {"bash", TARVEXEL_DESKTOP_TEST, system, "--run",
                        std::string(self, static_cast<std::size_t>(length)), kInsideDesktop,
                        record, tarvexel, std::to_string(runs)},
                       environment);
  if (driver.run().status != 0) return std::nullopt;
  DecideTimes times{};
  std::ifstream figures(record);
  if (!(figures >> times.hit >> times.miss)) return std::nullopt;
  return times;
}
