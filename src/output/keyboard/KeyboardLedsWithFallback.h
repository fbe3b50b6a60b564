#pragma once
// Two ways to the keyboard LEDs, the preferred one first: opening takes the first that opens,
// and every other call goes to the one that opened.

#include <memory>
#include <string>

#include "output/Devices.h"

namespace zeb {

class KeyboardLedsWithFallback final : public KeyboardLedDevice {
  public:
    KeyboardLedsWithFallback(std::unique_ptr<KeyboardLedDevice> preferred,
                             std::unique_ptr<KeyboardLedDevice> fallback);

    bool Open() override;
    bool IsOpen() const override { return active_ != nullptr && active_->IsOpen(); }
    // Why neither way opened.
    std::string OpenProblem() const override;
    bool SetLeds(bool scroll, bool num, bool caps) override;
    bool RestoreLeds() override;
    void Close() override;

  private:
    std::unique_ptr<KeyboardLedDevice> preferred_;
    std::unique_ptr<KeyboardLedDevice> fallback_;
    KeyboardLedDevice* active_ = nullptr;
};

}  // namespace zeb
