// Starts the program named by its arguments the way a careless parent
// would: SIGTERM blocked, SIGPIPE, SIGHUP and SIGCHLD ignored. Whatever it
// starts in turn should not inherit any of that.
#include <signal.h>
#include <unistd.h>

#include <initializer_list>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  sigprocmask(SIG_BLOCK, &blocked, nullptr);
  for (const int ignored : {SIGPIPE, SIGHUP, SIGCHLD}) signal(ignored, SIG_IGN);
  execv(argv[1], argv + 1);
  return 127;
}
