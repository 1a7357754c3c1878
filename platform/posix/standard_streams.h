// Descriptors 0, 1 and 2 as the program starts.
#ifndef TARVEXEL_PLATFORM_POSIX_STANDARD_STREAMS_H
#define TARVEXEL_PLATFORM_POSIX_STANDARD_STREAMS_H

namespace posix {

// Opens /dev/null on each of the three standard descriptors that is closed.
// A program started with one closed (2>&-) would otherwise hand that number
// to the next file or connection it opens, and the notice, or a library's
// warning, would be written into it. Called first thing, before anything
// else opens a file.
void openStandardStreams();

// For the whole run, a write to a pipe or socket whose reader has gone (a
// closed standard error, an X server that went away) fails with EPIPE
// instead of ending the program with SIGPIPE. The programs it starts get
// the default back (platform/posix/process.cpp).
void ignoreBrokenPipes();

}  // namespace posix

#endif
