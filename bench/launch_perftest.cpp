// What a key press costs: Tarvexel with no display choosing among ten rules
// and starting /bin/true with "execSync", against the floor (spawn_floor, a
// C program that only starts /bin/true and waits: what any dynamically
// linked launcher pays) and against dash doing the same
// (`dash -c '/bin/true; :'`; the ":" keeps dash from simply becoming
// /bin/true). The three run in turns, each round in another order, so a
// busy machine slows them alike, and the figures are ratios of medians.
// All of it runs on one processor: with two, a launch's time has two
// values, as the program and its child happen to run on one processor or
// on both, and the median of such times jumps from one to the other
// between runs of the benchmark.
//
//   launch_perftest [tarvexel-binary] [rounds]
#include <sched.h>

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

// Keeps this process, and so every program it starts, on the processor it
// runs on; that processor's number, or -1 when it cannot.
int stayOnOneProcessor() {
  const int processor = sched_getcpu();
  if (processor < 0) return -1;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(processor, &one);
  return sched_setaffinity(0, sizeof one, &one) == 0 ? processor : -1;
}

double medianPeakKiB(const Command& command, int runs) {
  std::vector<double> peaks;
  for (int i = 0; i < runs; ++i) peaks.push_back(static_cast<double>(command.peakResidentKiB()));
  return median(peaks);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string tarvexel = argc > 1 ? argv[1] : TARVEXEL_BINARY;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 400;
  const int processor = stayOnOneProcessor();
  const ScratchFolder folder;
  const std::string profile = folder.write("rules.ini", tenRules());
  const std::vector<std::string> environment = environmentWithout({"DISPLAY", "WAYLAND_DISPLAY"});
  const Command launcher(tarvexel, {"tarvexel", profile}, environment);
  const Command floor(SPAWN_FLOOR_BINARY, {"spawn_floor"}, environment);
  const Command shell("dash", {"dash", "-c", "/bin/true; :"}, environment);
  const Command* const commands[] = {&launcher, &floor, &shell};
  constexpr int kCommands = 3;

  for (const Command* command : commands) {
    if (command->run().status != 0) {
      std::fprintf(stderr, "%s did not end with status 0\n", command->path().c_str());
      return 1;
    }
  }
  for (int i = 0; i < 20; ++i) {  // warm the caches of all three
    for (const Command* command : commands) command->run();
  }
  std::vector<double> times[kCommands];
  for (int i = 0; i < rounds; ++i) {
    for (int turn = 0; turn < kCommands; ++turn) {
      const int which = (i + turn) % kCommands;
      times[which].push_back(commands[which]->run().milliseconds);
    }
  }
  const double oursMs = median(times[0]);
  const double floorMs = median(times[1]);
  const double dashMs = median(times[2]);
  const double oursKiB = medianPeakKiB(launcher, 21);
  const double theirsKiB = medianPeakKiB(shell, 21);
  std::printf("launch: %d rounds of the three in turns, medians, ", rounds);
  if (processor >= 0) {
    std::printf("kept to processor %d\n", processor);
  } else {
    std::printf("on any processor (could not keep to one)\n");
  }
  std::printf("  tarvexel     %.3f ms   peak RSS %.0f KiB\n", oursMs, oursKiB);
  std::printf("  spawn_floor  %.3f ms\n", floorMs);
  std::printf("  dash         %.3f ms   peak RSS %.0f KiB\n", dashMs, theirsKiB);
  std::printf("  time ratio tarvexel/floor  %.3f   (target <= 1.03)\n", oursMs / floorMs);
  std::printf("  time ratio tarvexel/dash   %.3f\n", oursMs / dashMs);
  if (oursKiB < 0) {
    std::printf("  peak RSS: not measured (tracing child processes is not allowed here)\n");
  } else {
    std::printf("  peak RSS tarvexel          %.2f MiB (target <= 2 MiB; %.2f of dash)\n",
                oursKiB / 1024, oursKiB / theirsKiB);
  }
  return 0;
}
