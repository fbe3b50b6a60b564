#pragma once
// Waiting for a sound server, which delivers sound and answers in its own time.

#include <chrono>
#include <thread>

namespace zeb::testing {

// Polls `condition` until it holds or `seconds` pass.
template <typename Condition>
bool Eventually(Condition condition, int seconds = 5) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

}  // namespace zeb::testing
