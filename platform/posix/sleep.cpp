#include <cerrno>
#include <ctime>

#include "platform/services.h"

void Sleep(DWORD milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  // A signal cuts nanosleep short; the pause is still owed in full.
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}
