#pragma once
// The program as a service without a screen: the same core as the window (start-up, ticks,
// activation once at start, the ways out) on a plain poll loop, with its messages as lines on
// stderr. No window-system library is linked in.

#include <chrono>
#include <memory>
#include <string>

#include "core/Assembly.h"
#include "core/CommandLine.h"
#include "core/ExitGuard.h"
#include "core/SignalEvents.h"
#include "headless/PollLoop.h"
#include "web/WebControl.h"
#include "web/WebMessages.h"

namespace zeb {

class HeadlessHost {
  public:
    HeadlessHost(std::chrono::steady_clock::time_point programStart, const CommandLine& line,
                 SignalEvents& signalEvents);

    // Start-up, then the loop until a signal ends it; returns the exit status: 0 after a
    // signal, non-zero when start-up failed.
    int Run();

  private:
    void OnSignal();
    // The process ends by a library's hand (ExitGuard): lamps dark first.
    void EndedFromOutside();
    // After each engine tick: the live line on a terminal, otherwise a line per state change.
    void Report();

    // The web page, when it is on; it is given every message, as the window's boxes are.
    void StartWebPage(const CommandLine& line);

    SignalEvents& signals_;
    const CommandLine& line_;
    PollLoop loop_;
    WebMessages webMessages_;
    int schedulerTimer_;
    int captureWatchTimer_;
    Assembly parts_;
    Console& console_;
    ExitGuard exitGuard_;
    std::unique_ptr<WebControl> web_;

    std::chrono::steady_clock::time_point lastStatus_{};
    std::string shownStatus_;
    std::string loggedState_;
    std::string newState_;
    std::chrono::steady_clock::time_point newStateSince_{};
};

}  // namespace zeb
