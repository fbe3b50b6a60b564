#pragma once
// A small event loop without a window system: periodic timers and readable descriptors on
// one thread, sleeping in ppoll between them. The headless service runs on it; the window runs
// on Qt's loop instead.

#include <chrono>
#include <functional>
#include <vector>

namespace zeb {

class PollLoop {
  public:
    using Callback = std::function<void()>;
    using Clock = std::chrono::steady_clock;

    // A timer that calls `onTimeout` every `interval` while started; it starts stopped. A timer
    // of interval 0 fires once each time it is started.
    int AddTimer(std::chrono::milliseconds interval, Callback onTimeout);
    // The first timeout comes one interval from now.
    void StartTimer(int timer);
    // The (next) timeout comes at `due`.
    void StartTimerAt(int timer, Clock::time_point due);
    void StopTimer(int timer);
    // Calls `onReadable` whenever `fd` has data.
    void WatchReadable(int fd, Callback onReadable);

    // Runs until Exit; returns its status.
    int Run();
    // Ends Run once the callback that calls it returns; no further callback runs.
    void Exit(int status);

  private:
    struct Timer {
        Clock::duration interval;
        Callback onTimeout;
        bool running = false;
        Clock::time_point due;
        bool ranThisRound = false;
    };
    struct Watch {
        int fd;
        Callback onReadable;
    };

    // Runs the timers that are due; returns when the next one is.
    Clock::time_point RunDueTimers();

    std::vector<Timer> timers_;
    std::vector<Watch> watches_;
    bool exiting_ = false;
    int status_ = 0;
};

}  // namespace zeb
