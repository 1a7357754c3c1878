// The command line the desktop helper windows share (window_helper.cpp,
// wayland_window_helper.cpp): RECORD, then flags, each followed by its
// value but --no-delete, which says the window does not go when asked to
// close. Each helper knows its own flags: `take(flag, value)` keeps a
// flag's value, or returns false for a flag it does not know.
#ifndef TARVEXEL_TESTS_DESKTOP_HELPER_ARGUMENTS_H
#define TARVEXEL_TESTS_DESKTOP_HELPER_ARGUMENTS_H

#include <cstdio>
#include <string>

template <typename Take>
bool readHelperArguments(int argc, char** argv, std::string& record, bool& takesClose, Take take) {
  if (argc < 2) return false;
  record = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string flag = argv[i];
    if (flag == "--no-delete") {
      takesClose = false;
      continue;
    }
    if (i + 1 == argc) return false;
    const char* value = argv[++i];
    if (!take(flag, value)) return false;
  }
  return true;
}

// For a command line the helper cannot read: says how it is used.
inline bool usageError(const char* usage) {
  std::fprintf(stderr, "usage: %s\n", usage);
  return false;
}

#endif
