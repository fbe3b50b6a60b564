#include "headless/PollLoop.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <utility>

namespace zeb {

int PollLoop::AddTimer(std::chrono::milliseconds interval, Callback onTimeout) {
    timers_.push_back({interval, std::move(onTimeout), false, Clock::time_point{}, false});
    return static_cast<int>(timers_.size()) - 1;
}

void PollLoop::StartTimer(int timer) {
    Timer& t = timers_.at(static_cast<size_t>(timer));
    t.running = true;
    t.due = Clock::now() + t.interval;
}

void PollLoop::StartTimerAt(int timer, Clock::time_point due) {
    Timer& t = timers_.at(static_cast<size_t>(timer));
    t.running = true;
    t.due = due;
}

void PollLoop::StopTimer(int timer) {
    timers_.at(static_cast<size_t>(timer)).running = false;
}

void PollLoop::WatchReadable(int fd, Callback onReadable) {
    watches_.push_back({fd, std::move(onReadable)});
}

void PollLoop::Exit(int status) {
    exiting_ = true;
    status_ = status;
}

PollLoop::Clock::time_point PollLoop::RunDueTimers() {
    // Due timers run earliest first, each once per round: a tick then sees the work of the
    // timers due before it (the engine tick a spectrum refreshed just before), as on Qt's loop.
    for (Timer& timer : timers_) {
        timer.ranThisRound = false;
    }
    while (!exiting_) {
        Timer* earliest = nullptr;
        for (Timer& timer : timers_) {
            if (timer.running && !timer.ranThisRound &&
                (earliest == nullptr || timer.due < earliest->due)) {
                earliest = &timer;
            }
        }
        const auto now = Clock::now();
        if (earliest == nullptr || earliest->due > now) {
            break;
        }
        // Keep the beat; after a stall (a suspended machine) start afresh instead of catching
        // up on every missed tick.
        earliest->due += earliest->interval;
        if (earliest->interval == Clock::duration::zero()) {
            earliest->running = false;
        } else if (earliest->due <= now) {
            earliest->due = now + earliest->interval;
        }
        earliest->ranThisRound = true;
        earliest->onTimeout();  // may start or stop timers, never add them
    }
    auto next = Clock::time_point::max();
    for (const Timer& timer : timers_) {
        if (timer.running && timer.due < next) {
            next = timer.due;
        }
    }
    return next;
}

int PollLoop::Run() {
    std::vector<pollfd> fds;
    while (!exiting_) {
        const auto next = RunDueTimers();
        if (exiting_) {
            break;
        }
        fds.clear();
        for (const Watch& watch : watches_) {
            fds.push_back({watch.fd, POLLIN, 0});
        }
        timespec wait{};
        timespec* timeout = nullptr;
        if (next != Clock::time_point::max()) {
            const auto left = std::max(next - Clock::now(), Clock::duration::zero());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            wait.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            wait.tv_nsec = static_cast<long>(ns % 1'000'000'000);
            timeout = &wait;
        }
        if (::ppoll(fds.data(), fds.size(), timeout, nullptr) < 0 && errno != EINTR) {
            return 1;  // the loop itself failed: nothing sensible can run any more
        }
        for (size_t i = 0; i < fds.size() && !exiting_; ++i) {
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                watches_[i].onReadable();
            }
        }
    }
    return status_;
}

}  // namespace zeb
