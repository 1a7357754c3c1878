// What a key press costs: Tarvexel with no display choosing among ten rules
// and starting /bin/true with "execSync", against dash doing the same
// (`dash -c '/bin/true; :'`; the ":" keeps dash from simply becoming
// /bin/true). The two run in turns, so a busy machine slows both alike,
// and the figures are ratios of medians.
//
//   launch_perftest [tarvexel-binary] [pairs]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/child_run.h"

namespace {

std::string tenRules() {
  std::string text = "# ten windows that are not there, then the fallback\n";
  for (int i = 0; i < 10; ++i) {
    const std::string n = std::to_string(i);
    text += "[rule" + n + "]\nclass=WindowClass" + n + "\ntitle=Window " + n +
            "\nmode=active\nexec=close\n";
  }
  return text + "[default]\nexecSync=/bin/true\n";
}

double medianPeakKiB(const Command& command, int runs) {
  std::vector<double> peaks;
  for (int i = 0; i < runs; ++i) peaks.push_back(static_cast<double>(command.peakResidentKiB()));
  return median(peaks);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string tarvexel = argc > 1 ? argv[1] : TARVEXEL_BINARY;
  const int pairs = argc > 2 ? std::atoi(argv[2]) : 400;
  const ScratchFolder folder;
  const std::string profile = folder.write("rules.ini", tenRules());
  const std::vector<std::string> environment = environmentWithout({"DISPLAY", "WAYLAND_DISPLAY"});
  const Command launcher(tarvexel, {"tarvexel", profile}, environment);
  const Command shell("dash", {"dash", "-c", "/bin/true; :"}, environment);

  if (launcher.run().status != 0) {
    std::fprintf(stderr, "%s did not run %s with status 0\n", tarvexel.c_str(), profile.c_str());
    return 1;
  }
  for (int i = 0; i < 20; ++i) {  // warm the caches of both
    launcher.run();
    shell.run();
  }
  std::vector<double> ours;
  std::vector<double> theirs;
  for (int i = 0; i < pairs; ++i) {
    if (i % 2 == 0) ours.push_back(launcher.run().milliseconds);
    theirs.push_back(shell.run().milliseconds);
    if (i % 2 == 1) ours.push_back(launcher.run().milliseconds);
  }
  const double oursMs = median(ours);
  const double theirsMs = median(theirs);
  const double oursKiB = medianPeakKiB(launcher, 21);
  const double theirsKiB = medianPeakKiB(shell, 21);
  std::printf("launch: %d interleaved pairs, medians\n", pairs);
  std::printf("  tarvexel  %.3f ms   peak RSS %.0f KiB\n", oursMs, oursKiB);
  std::printf("  dash      %.3f ms   peak RSS %.0f KiB\n", theirsMs, theirsKiB);
  std::printf("  time ratio tarvexel/dash   %.3f   (target <= 0.9)\n", oursMs / theirsMs);
  if (oursKiB < 0) {
    std::printf("  peak RSS: not measured (tracing child processes is not allowed here)\n");
  } else {
    std::printf("  peak RSS tarvexel          %.2f MiB (target <= 2 MiB; %.2f of dash)\n",
                oursKiB / 1024, oursKiB / theirsKiB);
  }
  return 0;
}
