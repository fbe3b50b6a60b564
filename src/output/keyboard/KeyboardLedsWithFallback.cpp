#include "output/keyboard/KeyboardLedsWithFallback.h"

namespace zeb {

KeyboardLedsWithFallback::KeyboardLedsWithFallback(std::unique_ptr<KeyboardLedDevice> preferred,
                                                   std::unique_ptr<KeyboardLedDevice> fallback)
    : preferred_(std::move(preferred)), fallback_(std::move(fallback)) {}

bool KeyboardLedsWithFallback::Open() {
    if (IsOpen()) {
        return true;
    }
    Close();
    for (KeyboardLedDevice* device : {preferred_.get(), fallback_.get()}) {
        if (device->Open()) {
            active_ = device;
            return true;
        }
    }
    return false;
}

std::string KeyboardLedsWithFallback::OpenProblem() const {
    std::string problems;
    for (const KeyboardLedDevice* device : {preferred_.get(), fallback_.get()}) {
        const std::string problem = device->OpenProblem();
        if (!problem.empty()) {
            problems += (problems.empty() ? "" : "; ") + problem;
        }
    }
    return problems;
}

// A keyboard lost while open is looked for again by the way that opened it.
bool KeyboardLedsWithFallback::SetLeds(bool scroll, bool num, bool caps) {
    return active_ != nullptr && active_->SetLeds(scroll, num, caps);
}

bool KeyboardLedsWithFallback::RestoreLeds() {
    return active_ != nullptr && active_->RestoreLeds();
}

void KeyboardLedsWithFallback::Close() {
    if (active_ != nullptr) {
        active_->Close();
        active_ = nullptr;
    }
}

}  // namespace zeb
