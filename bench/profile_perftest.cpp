// What a large profile costs: Tarvexel reading and running it, against
// `wc -m` counting the characters of the same file (in a UTF-8 locale, so
// it decodes them as we do). The two run in turns and the figures are
// ratios of medians.
//
//   profile_perftest [tarvexel-binary] [runs]
//
// Profiles measured:
//   4 MiB   - 200 sections of 500 entries each, "default" last.
//   N x 1   - N sections of one entry each, N doubling up to 20000: how the
//             time grows with the number of sections.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/child_run.h"

namespace {

// 200 sections of 500 entries: ordinary settings, a few Japanese values,
// no window rules (so each section costs rule selection its misses), and
// a "default" that starts /bin/true and waits for it.
std::string largeProfile() {
  std::string text;
  for (int section = 0; section < 200; ++section) {
    const bool last = section == 199;
    text += last ? "[default]\n" : "[section " + std::to_string(section) + "]\n";
    for (int entry = 0; entry < 500; ++entry) {
      if (last && entry == 499) {
        text += "execSync=/bin/true\n";
      } else {
        text += "setting" + std::to_string(entry) + "=value " + std::to_string(section) +
                (entry % 10 == 0 ? " 設定の値です" : " of an ordinary kind") + "\n";
      }
    }
  }
  return text;
}

// Sections of one entry each; the last is "default", so every section
// before it is walked past when the fallback is looked up.
std::string manySections(int count) {
  std::string text;
  for (int section = 0; section + 1 < count; ++section) {
    text += "[s" + std::to_string(section) + "]\nexec=nothing-" + std::to_string(section) + "\n";
  }
  return text + "[default]\nsleep=0\n";
}

struct Figures {
  double oursMs;
  double theirsMs;
  long oursPeakKiB;
};

Figures compare(const std::string& tarvexel, const std::string& profile, int runs,
                const std::vector<std::string>& environment) {
  const Command ours(tarvexel, {"tarvexel", profile}, environment);
  const Command theirs("wc", {"wc", "-m", profile}, environment);
  if (ours.run().status != 0) {
    std::fprintf(stderr, "%s did not run %s with status 0\n", tarvexel.c_str(), profile.c_str());
    std::exit(1);
  }
  theirs.run();
  std::vector<double> oursMs;
  std::vector<double> theirsMs;
  for (int i = 0; i < runs; ++i) {
    if (i % 2 == 0) oursMs.push_back(ours.run().milliseconds);
    theirsMs.push_back(theirs.run().milliseconds);
    if (i % 2 == 1) oursMs.push_back(ours.run().milliseconds);
  }
  return {median(oursMs), median(theirsMs), ours.peakResidentKiB()};
}

}  // namespace

int main(int argc, char** argv) {
  const std::string tarvexel = argc > 1 ? argv[1] : TARVEXEL_BINARY;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 40;
  const ScratchFolder folder;
  std::vector<std::string> environment =
      environmentWithout({"DISPLAY", "WAYLAND_DISPLAY", "LC_ALL"});
  environment.push_back("LC_ALL=C.UTF-8");

  const std::string large = largeProfile();
  const Figures big = compare(tarvexel, folder.write("large.ini", large), runs, environment);
  std::printf("4 MiB profile (%zu bytes, 200 sections x 500 entries), %d runs, medians\n",
              large.size(), runs);
  std::printf("  tarvexel  %.2f ms, peak RSS %.1f MiB\n", big.oursMs, big.oursPeakKiB / 1024.0);
  std::printf("  wc -m     %.2f ms\n", big.theirsMs);
  std::printf("  ratio tarvexel/wc -m   %.2f (target <= 3)\n", big.oursMs / big.theirsMs);

  std::printf("sections of one entry each, %d runs, medians (target: <= 2.2 x per doubling)\n",
              runs);
  std::printf("  %8s %12s %10s %10s %14s\n", "sections", "tarvexel ms", "wc -m ms", "ratio",
              "x per doubling");
  double previous = 0;
  for (int count = 1250; count <= 20000; count *= 2) {
    const std::string name = "sections-" + std::to_string(count) + ".ini";
    const Figures f = compare(tarvexel, folder.write(name, manySections(count)), runs, environment);
    std::printf("  %8d %12.2f %10.2f %10.2f", count, f.oursMs, f.theirsMs, f.oursMs / f.theirsMs);
    if (previous > 0) std::printf(" %14.2f", f.oursMs / previous);
    std::printf("\n");
    previous = f.oursMs;
  }
  return 0;
}
