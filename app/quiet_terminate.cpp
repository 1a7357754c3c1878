// What the C++ run-time does when it has to end the program (an exception
// nothing catches, or one thrown out of a noexcept function). The launcher
// prints nothing, so it ends there as std::abort ends it, without the
// run-time's message on standard error.
//
// Set by defining the variable the run-time reads its handler from, rather
// than with std::set_terminate at start-up, so that the run-time's own
// handler is never linked in, and with it the name demangler it prints
// with: a sixth of the program's code, and relocations the dynamic loader
// would apply on every key press. This works only where the run-time is
// linked in, as it is into this program alone (CMakeLists.txt): a shared
// libstdc++ keeps its own variable, and this one is then never read.
#include <cstdlib>
#include <exception>

namespace {

[[noreturn]] void endQuietly() noexcept { std::abort(); }

}  // namespace

namespace __cxxabiv1 {
extern std::terminate_handler __terminate_handler;
std::terminate_handler __terminate_handler = endQuietly;
}  // namespace __cxxabiv1
