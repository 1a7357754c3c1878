// The X11 part of the benchmark: Tarvexel against wmctrl on an Xvfb and
// openbox of the benchmark's own, with 30, 100 and 300 windows.
#ifndef TARVEXEL_BENCH_X11_DESKTOP_H
#define TARVEXEL_BENCH_X11_DESKTOP_H

#include <string>

#include "bench/child_run.h"
#include "bench/ten_rules.h"

// Prints the table (hit and miss at each number of windows, the times of
// both programs and their X round trips); returns Tarvexel's times at 30
// windows, to set beside the other desktops. Stops its desktop before it
// returns; throws std::runtime_error when the desktop cannot be set up.
DecideTimes x11Table(const std::string& tarvexel, int runs, const ScratchFolder& folder);

#endif
