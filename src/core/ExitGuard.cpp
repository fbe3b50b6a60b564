#include "core/ExitGuard.h"

#include <atomic>
#include <cstdlib>
#include <exception>
#include <mutex>

namespace zeb {

namespace {

// What exit handlers can reach is global by nature: the one armed dark path, taken by the
// first way out that finds it.
std::atomic<std::function<void()>*> armed{nullptr};
std::terminate_handler previousTerminate = nullptr;

void RunArmed() {
    ExitGuard::RunNow();
}

[[noreturn]] void OnTerminate() {
    ExitGuard::RunNow();
    if (previousTerminate != nullptr) {
        previousTerminate();
    }
    std::abort();
}

}  // namespace

ExitGuard::ExitGuard(std::function<void()> darken) : darken_(std::move(darken)) {
    // exit handlers cannot be taken back: installed once, they do nothing while disarmed.
    static std::once_flag installed;
    std::call_once(installed, [] {
        std::atexit(RunArmed);
        std::at_quick_exit(RunArmed);
        previousTerminate = std::set_terminate(OnTerminate);
    });
    armed = &darken_;
}

ExitGuard::~ExitGuard() {
    auto* mine = &darken_;
    armed.compare_exchange_strong(mine, nullptr);
}

void ExitGuard::RunNow() {
    if (auto* darken = armed.exchange(nullptr)) {
        (*darken)();
    }
}

}  // namespace zeb
