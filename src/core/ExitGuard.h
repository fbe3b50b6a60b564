#pragma once
// The lamps' last line of defence: a process that ends through exit() or quick_exit() (a
// library giving up, such as the window system's client when its display server dies) or
// through an uncaught exception, without having taken one of the program's own ways out,
// still runs the program's dark path first. The front ends add what their own libraries need
// (the window: Qt's fatal messages).

#include <functional>

namespace zeb {

// The line a front end leaves when the dark path ran this way.
inline constexpr const char* kEndedFromOutsideLine =
    "ended by a library, not by a way out of its own: every lamp dark, settings left as they were";

class ExitGuard {
  public:
    // Arms `darken` until destruction. Create it once the program's parts exist (late, so it
    // runs before the exit handlers of libraries started earlier); one per process.
    explicit ExitGuard(std::function<void()> darken);
    // Disarms: a return from main has already taken a way out.
    ~ExitGuard();
    ExitGuard(const ExitGuard&) = delete;
    ExitGuard& operator=(const ExitGuard&) = delete;

    // Runs the armed dark path now, once, whichever thread asks; nothing after that or when
    // none is armed. For the front ends' own last-moment hooks.
    static void RunNow();

  private:
    std::function<void()> darken_;
};

}  // namespace zeb
