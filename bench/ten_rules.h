// The profile every desktop figure decides on: nine rules that no window
// matches, naming classes and titles in turn, so that each looks at every
// window; then `lastRule` (the lines of the tenth section, which is empty
// otherwise: the figures are those of the decision, not of the desktop's
// work on an activation); then a "default" that does nothing.
#ifndef TARVEXEL_BENCH_TEN_RULES_H
#define TARVEXEL_BENCH_TEN_RULES_H

#include <string>

std::string tenRules(const std::string& lastRule);

// Medians, in milliseconds, of whole runs of Tarvexel on that profile:
// the tenth rule finding its window, and finding none.
struct DecideTimes {
  double hit;
  double miss;
};

#endif
