// The desktop libraries (libX11, libXft, and those of the other window
// systems) are opened when a desktop is first needed instead of being
// linked: a run without a display never maps them, so starting from a
// terminal, a script or a headless session costs what it did before there
// were windows. Only their headers are needed to build.
//
// Each library's header names the calls Tarvexel makes once, as a list
//
//   #define TARVEXEL_XCB_CALLS(CALL) CALL(flush, xcb_flush) CALL(...)
//
// of a member name and the C function it holds (or, for a library that
// exports data the program needs, the object it points to). The table's
// members (each a pointer of its function's or object's own type, from the
// library's header) and the lookup are both made from that list, so a call
// cannot be declared without being looked up, nor looked up under another
// name.
#ifndef TARVEXEL_PLATFORM_POSIX_SHARED_LIBRARY_H
#define TARVEXEL_PLATFORM_POSIX_SHARED_LIBRARY_H

#include <dlfcn.h>

// A table's member for CALL(member, function): a pointer of the function's
// (or object's) own type.
#define TARVEXEL_LIBRARY_MEMBER(member, function) decltype(&::function) member = nullptr;
// Looks CALL(member, function) up in `library` into `calls.member`.
#define TARVEXEL_LIBRARY_BIND(member, function) &&posix::bind(library, #function, calls.member)
// A function that looks up every call of LIST into a Calls table, false as
// soon as one is missing: the argument openLibrary takes.
#define TARVEXEL_LIBRARY_BINDER(Calls, LIST) \
  +[](void* library, Calls& calls) { return true LIST(TARVEXEL_LIBRARY_BIND); }
// A library's table of calls, the struct Calls with a member for each call
// of LIST, and accessor(), which opens the library `soname` on first use
// and binds every call: null when it cannot be opened or lacks one of them.
#define TARVEXEL_LIBRARY(Calls, accessor, soname, LIST)                             \
  struct Calls {                                                                    \
    LIST(TARVEXEL_LIBRARY_MEMBER)                                                   \
  };                                                                                \
  inline const Calls* accessor() {                                                  \
    static const Calls* const loaded =                                              \
        posix::openLibrary(soname, TARVEXEL_LIBRARY_BINDER(Calls, LIST));           \
    return loaded;                                                                  \
  }

namespace posix {

// Looks `name` up in `library` into `slot`; false when it is missing.
template <typename Function>
bool bind(void* library, const char* name, Function*& slot) {
  slot = reinterpret_cast<Function*>(::dlsym(library, name));
  return slot != nullptr;
}

// Opens the library `soname` once and binds the calls `bindAll` names into
// one table; null when the library or one of its calls is missing, so that
// a library older than the program expects counts as absent rather than
// leaving a null call to be made later. The library stays loaded until the
// process ends: libXft, for one, hooks the closing of a display, so nothing
// may be unloaded before the last connection is closed.
template <typename Calls>
const Calls* openLibrary(const char* soname, bool (*bindAll)(void* library, Calls& calls)) {
  static Calls calls;
  void* library = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
  return bindAll(library, calls) ? &calls : nullptr;
}

}  // namespace posix

#endif
