#pragma once
// SIGINT, SIGTERM and SIGHUP (Ctrl-C, the session logging out, the terminal
// closing) become an ordinary event that the main loop reads from a file
// descriptor, so the termination sequence runs on the main queue like any
// quit request. The signal handler itself only writes the signal number into
// a pipe.

#include <optional>

namespace vp {

class TerminationSignals {
public:
    // Installs the handlers once per process; false when the pipe or the
    // handlers cannot be set up (the signals then keep their default action).
    static bool install();
    // Readable when a signal has arrived: an event loop watches it.
    static int fd();
    // The first signal that arrived, without waiting; none when none has.
    static std::optional<int> take();
    // Waits until a signal arrives and gives its number.
    static int wait();
    // Ends the process by the signal it was asked to end by, with its
    // default action, so that the parent sees why it ended.
    [[noreturn]] static void endBy(int signal);
};

}  // namespace vp
