// The Wayland part of the benchmark: the same 10 rules with 30 windows on
// headless sway, headless KWin and a headless GNOME Shell 43 session. The
// desktop tests' driver starts each desktop (its --run form), runs this
// program once more inside it to measure, and stops the desktop again, so
// a desktop is started one way only, the way the tests start it.
#ifndef TARVEXEL_BENCH_WAYLAND_DESKTOPS_H
#define TARVEXEL_BENCH_WAYLAND_DESKTOPS_H

#include <optional>
#include <string>

#include "bench/child_run.h"
#include "bench/ten_rules.h"

// The option that tells this program it runs inside a desktop.
inline constexpr const char* kInsideDesktop = "--inside-desktop";

// Tarvexel's times on the driver's desktop SYSTEM (sway, kwin or gnome);
// none when the desktop could not be started or a run failed.
std::optional<DecideTimes> waylandDecideTimes(const std::string& system,
                                              const std::string& tarvexel, int runs,
                                              const ScratchFolder& folder);

// The measurement inside the desktop (argv: kInsideDesktop RECORD TARVEXEL
// RUNS): writes the times to RECORD; the exit status tells whether it did.
int measureInsideDesktop(const std::string& record, const std::string& tarvexel, int runs);

#endif
