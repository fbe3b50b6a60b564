#pragma once
// The system's requests to end the program (SIGTERM, SIGINT, SIGHUP, SIGQUIT) as events on
// the program's own thread. The handler only writes the signal's number into a pipe that the
// event loop watches, so the lamps are darkened by ordinary code on the loop, never inside a
// handler. A second request, while the first is being carried out (or a device hangs the way
// out), ends the program at once, as the signal's default would.

#include <csignal>
#include <optional>
#include <string>

namespace zeb {

class SignalEvents {
  public:
    // Installs the handlers. Create it before any thread starts and keep one per process.
    SignalEvents();
    // Puts the handlers found at construction back.
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
