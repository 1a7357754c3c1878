// The desktop libraries (libX11, libXft, and those of the other window
// systems) are opened when a desktop is first needed instead of being
// linked: a run without a display never maps them, so starting from a
// terminal, a script or a headless session costs what it did before there
// were windows. Only their headers are needed to build.
#ifndef TARVEXEL_PLATFORM_POSIX_SHARED_LIBRARY_H
#define TARVEXEL_PLATFORM_POSIX_SHARED_LIBRARY_H

#include <dlfcn.h>

namespace posix {

// Looks `name` up in `library` into `slot`; false when it is missing.
template <typename Function>
bool bind(void* library, const char* name, Function*& slot) {
  slot = reinterpret_cast<Function*>(::dlsym(library, name));
  return slot != nullptr;
}

// Opens the library `soname` once and binds the calls `bindAll` names into
// one table; null when the library or one of its calls is missing. The
// library stays loaded until the process ends: libXft, for one, hooks the
// closing of a display, so nothing may be unloaded before the last
// connection is closed.
template <typename Calls>
const Calls* openLibrary(const char* soname, bool (*bindAll)(void* library, Calls& calls)) {
  static Calls calls;
  void* library = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
  return bindAll(library, calls) ? &calls : nullptr;
}

}  // namespace posix

#endif
