#pragma once
// The system's requests to end the program (SIGTERM, SIGINT, SIGHUP, SIGQUIT) as events on
// the program's own thread. The handler only writes the signal's number into a pipe that the
// event loop watches, so the lamps are darkened by ordinary code on the loop, never inside a
// handler. A second request, while the first is being carried out (or a device hangs the way
// out), ends the program at once, as the signal's default would.
//
// A request that comes before the handlers exist must not end the program by the signal's
// default either: main blocks the four signals first thing (BlockEndSignals), the block
// outlives the exec of `zeb --headless` into the service program, and a signal that arrived
// meanwhile is taken as soon as the handlers are in place.

#include <csignal>
#include <optional>
#include <string>

namespace zeb {

class SignalEvents {
  public:
    // Holds back the four signals in the calling thread (and in the threads and the program it
    // starts); call it first in main.
    static void BlockEndSignals();

    // Installs the handlers, then takes the signals that BlockEndSignals held back. Create it
    // before any thread starts and keep one per process.
    SignalEvents();
    // Holds the signals back again (a request this late leaves the program to end with its
    // own status) and puts the handlers found at construction back.
    ~SignalEvents();
    SignalEvents(const SignalEvents&) = delete;
    SignalEvents& operator=(const SignalEvents&) = delete;

    // Readable when a signal has arrived: watch it in the event loop.
    int Fd() const { return readFd_; }
    // The signal that arrived, once; nothing when none is waiting.
    std::optional<int> Take();

    // "SIGTERM", "SIGINT", "SIGHUP", "SIGQUIT".
    static std::string Name(int signal);
    // The line the program leaves when a signal has ended it.
    static std::string EndLine(int signal);

  private:
    int readFd_ = -1;
    int writeFd_ = -1;
    struct sigaction previous_[4] = {};
};

}  // namespace zeb
