// How long Tarvexel takes, start to exit, where it runs: on X11 against
// wmctrl with 30, 100 and 300 windows (bench/x11_desktop.h); with 30
// windows on headless sway, headless KWin and GNOME Shell 43, beside the
// X11 figure (bench/wayland_desktops.h); and its launch without a display
// against `dash -c '/bin/true; :'`. Every desktop is the benchmark's own,
// started for its part and stopped at its end.
//
// Usage: tarvexel_bench PATH_TO_TARVEXEL [RUNS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "bench/child_run.h"
#include "bench/ten_rules.h"
#include "bench/wayland_desktops.h"
#include "bench/x11_desktop.h"

namespace {

// The launch with no display, as launch_perftest measures it.
void headlessFigures(const std::string& tarvexel, int runs, const ScratchFolder& folder) {
  std::string text;
  for (int i = 0; i < 10; ++i)
    text +=
        "[rule" + std::to_string(i) + "]\nclass=WindowClass" + std::to_string(i) + "\nexec=close\n";
  const std::string profile =
      folder.write("headless.ini", text + "[default]\nexecSync=/bin/true\n");
  const std::vector<std::string> environment = environmentWithout({"DISPLAY", "WAYLAND_DISPLAY"});
  const Command ours(tarvexel, {"tarvexel", profile}, environment);
  const Command shell("dash", {"dash", "-c", "/bin/true; :"}, environment);
  std::vector<double> a, b;
  for (int i = 0; i < runs; ++i) {
    a.push_back(ours.run().milliseconds);
    b.push_back(shell.run().milliseconds);
  }
  std::printf(
      "headless launch, 10 rules, execSync=/bin/true: tarvexel %.3f ms, "
      "dash -c '/bin/true; :' %.3f ms, ratio %.3f (medians of %d interleaved runs)\n",
      median(a), median(b), median(a) / median(b), runs);
}

void printRow(const char* desktop, const std::optional<DecideTimes>& times) {
  if (times) {
    std::printf("%-30s %10.2f %10.2f\n", desktop, times->hit, times->miss);
  } else {
    std::printf("%-30s %21s\n", desktop, "not measured");
  }
}

// Each Wayland desktop in turn, beside the X11 figure at 30 windows.
void desktopsBeside(const DecideTimes& x11, const std::string& tarvexel, int runs,
                    const ScratchFolder& folder) {
  const struct {
    const char* system;
    const char* label;
  } desktops[] = {{"sway", "headless sway"},
                  {"kwin", "headless KWin"},
                  {"gnome", "GNOME Shell 43 (headless)"}};
  std::printf("\n10 rules, 30 windows, medians of %d runs, ms  %10s %10s\n", runs, "hit", "miss");
  printRow("X11 (Xvfb + openbox)", x11);
  for (const auto& desktop : desktops) {
    std::fflush(stdout);
    printRow(desktop.label, waylandDecideTimes(desktop.system, tarvexel, runs, folder));
  }
  std::printf("\n");
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
  if (argc == 5 && std::string(argv[1]) == kInsideDesktop)
    return measureInsideDesktop(argv[2], argv[3], std::max(1, std::atoi(argv[4])));
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PATH_TO_TARVEXEL [RUNS]\n", argv[0]);
    return 2;
  }
  const std::string tarvexel = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 41;
  try {
    const ScratchFolder folder;
    std::printf("Tarvexel %s; load %s", tarvexel.c_str(), loadAverage().c_str());
    const DecideTimes x11 = x11Table(tarvexel, runs, folder);
    desktopsBeside(x11, tarvexel, runs, folder);
    headlessFigures(tarvexel, runs * 10, folder);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
  std::printf("load at the end %s", loadAverage().c_str());
  std::printf("reproduce: %s %s %d\n", argv[0], tarvexel.c_str(), runs);
  return 0;
}
