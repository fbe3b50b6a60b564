#pragma once
// The keyboard's Num, Caps and Scroll Lock LEDs through the Linux input event devices: the
// first /dev/input/eventN (in number order) that has all three LEDs and opens for writing
// (group "input"). This works the same under X11, Wayland and the text console. RestoreLeds
// puts back the lock states the display server reports, where it can tell (the user may have
// pressed a lock key meanwhile), else the states the keyboard showed when it was opened. A keyboard
// that is unplugged while open is looked for again about once a second (every
// kCallsBetweenSearches LED writes), so a replugged one lights up again.

#include <memory>
#include <optional>
#include <string>

#include "output/Devices.h"
#include "output/SystemCalls.h"

namespace zeb {

class LinuxKeyboardLeds final : public KeyboardLedDevice {
  public:
    explicit LinuxKeyboardLeds(std::shared_ptr<SystemCalls> system, LockStateQuery lockStates = {});

    // Opens the first suitable keyboard; true also when one is open already.
    bool Open() override;
    bool IsOpen() const override { return fd_.Valid(); }
    std::string OpenProblem() const override { return openProblem_; }
    bool SetLeds(bool scroll, bool num, bool caps) override;
    bool RestoreLeds() override;
    void Close() override;

    static constexpr int kCallsBetweenSearches = 100;

  private:
    using LockStates = KeyboardLockStates;

    bool HasLockLeds(int fd);
    std::optional<LockStates> ReadLockStates(int fd);
    bool FindAgain();

    std::shared_ptr<SystemCalls> system_;
    LockStateQuery lockStates_;
    UniqueFd fd_;
    LockStates atOpen_;
    bool wanted_ = false;  // opened and not closed by the owner
    int callsSinceLoss_ = 0;
    std::string openProblem_;
};

}  // namespace zeb
