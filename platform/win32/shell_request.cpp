// The shell reads a request record by the size it carries in cbSize. The
// handhelds' shell knows the 32-bit record of 60 bytes; should a header or a
// packing setting ever change that layout, every launch would fail at run
// time, so the build stops here instead.
#include "platform/services.h"

#ifdef _WIN64
static_assert(sizeof(SHELLEXECUTEINFO) == 112, "the 64-bit shell request record is 112 bytes");
#else
static_assert(sizeof(SHELLEXECUTEINFO) == 60, "the 32-bit shell request record is 60 bytes");
#endif
