// ZEB without a screen: listens to one sound input and drives the lamp outputs switched on in
// the settings, until SIGINT, SIGTERM or SIGHUP darkens them and ends it.

#include <chrono>
#include <csignal>
#include <cstdio>

#include "core/CommandLine.h"
#include "core/SignalEvents.h"
#include "headless/HeadlessHost.h"

int main(int argc, char* argv[]) {
    // A stop request from here on waits for the handlers; `zeb --headless` already held the
    // signals back before it replaced itself with this program.
    zeb::SignalEvents::BlockEndSignals();
    // Simulated lamp logs count milliseconds from here.
    const auto programStart = std::chrono::steady_clock::now();
    const zeb::CommandLine line = zeb::ParseCommandLine(argc, argv);
    if (const auto status = zeb::AnswerWithoutRunning(line, stdout, stderr)) {
        return *status;
    }
    // A log reader that went away costs the lines, not the lamps.
    std::signal(SIGPIPE, SIG_IGN);
    // Before the sound server's thread starts, so every thread takes the handlers.
    zeb::SignalEvents signalEvents;
    zeb::HeadlessHost host(programStart, line, signalEvents);
    return host.Run();
}
