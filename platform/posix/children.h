// The programs we start, collected as they end: one we wait for as soon as
// it ends, and those started without waiting (exec) at every later pause,
// wait or launch, so that none stays a zombie while a long run goes on.
// Only ever by their own process ids: the wait of one program is never
// disturbed by collecting another.
#ifndef TARVEXEL_PLATFORM_POSIX_CHILDREN_H
#define TARVEXEL_PLATFORM_POSIX_CHILDREN_H

#include <sys/types.h>

#include <cstdint>

namespace children {

// Gets the launcher ready to start a program: a SIGCHLD that we inherited
// as ignored would have the system collect our programs behind our back.
void prepareToStart();

// Nobody will wait for this program: collect it once it has ended.
void forget(pid_t pid);

// Collects the forgotten programs that have ended.
void collectEnded();

// Returns once `pid` has ended and is collected.
void waitFor(pid_t pid);

// Pauses for `milliseconds`, collecting forgotten programs as they end.
void pause(std::uint32_t milliseconds);

}  // namespace children

#endif
