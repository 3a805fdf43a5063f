#pragma once
// One handler for SIGINT, SIGTERM and SIGHUP on POSIX systems, for the file
// layer's cleanups: it runs each cleanup, then gives the signal to the
// disposition that was in place before, the default one (end the process)
// included. One handler rather than one per cleanup, so that no cleanup can
// take away another's by restoring what it found.

namespace pt::detail {

// Adds `cleanup` (only calls that are safe in a signal handler); the handler
// is installed with the first. A signal the program ignores (nohup) stays
// ignored. At most four cleanups.
void cleanUpOnInterrupt(void (*cleanup)());

}  // namespace pt::detail
