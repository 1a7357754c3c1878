/* The least a launch can cost: a dynamically linked C program that starts
 * /bin/true with posix_spawn and waits for it, and nothing else. The
 * launch benchmark runs it in turns with Tarvexel; what Tarvexel costs
 * above it is the price of the profile, the rules and the program's own
 * start-up. */
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

int main(void) {
  char program[] = "/bin/true";
  char* const argv[] = {program, 0};
  pid_t pid;
  int status;
  if (posix_spawn(&pid, program, 0, 0, argv, environ) != 0) return 1;
  if (waitpid(pid, &status, 0) != pid) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
