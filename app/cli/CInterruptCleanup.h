// CInterruptCleanup: ends the command on SIGINT, SIGTERM or SIGHUP without
// litter. The signals are blocked in every thread and taken by one thread of
// their own, which waits for a set of outputs being renamed to be complete
// (so an interrupted pack leaves the old set or the new one, never a mix),
// removes this process's temporary files and ends the process by the same
// signal. Not for --watch, which takes these signals itself between packs.
#pragma once

class CInterruptCleanup {
public:
    // Call before any other thread starts, so that they all inherit the
    // blocked signals.
    static void install();
};
