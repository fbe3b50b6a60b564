#pragma once
// The keyboard's Num, Caps and Scroll Lock LEDs through the kernel's LED class:
// /sys/class/leds/inputN::numlock, ::capslock and ::scrolllock, the lowest N that has all three
// with writable "brightness" files. Unlike the input event devices, these files carry no
// keystrokes, so a udev rule may open them to the desktop user.
//
// While the LEDs are driven, their "trigger" is "none", so the console's lock state (the
// kbd-*lock triggers) does not write over the lamps. RestoreLeds and Close give every LED its
// trigger back, which makes it show that trigger's own state again; an LED that had no
// trigger gets the lock state the display server reports, else the one it showed at opening.
// A keyboard unplugged while open is looked for again about once a second.

#include <array>
#include <memory>
#include <string>

#include "output/Devices.h"
#include "output/SystemCalls.h"

namespace zeb {

class LedClassKeyboardLeds final : public KeyboardLedDevice {
  public:
    static constexpr const char* kLedsFolder = "/sys/class/leds";
    static constexpr int kCallsBetweenSearches = 100;

    LedClassKeyboardLeds(std::shared_ptr<SystemCalls> system, std::string ledsFolder = kLedsFolder,
                         LockStateQuery lockStates = {});
    ~LedClassKeyboardLeds() override;
    LedClassKeyboardLeds(const LedClassKeyboardLeds&) = delete;
    LedClassKeyboardLeds& operator=(const LedClassKeyboardLeds&) = delete;

    bool Open() override;
    bool IsOpen() const override { return leds_[0].brightness.Valid(); }
    std::string OpenProblem() const override { return openProblem_; }
    bool SetLeds(bool scroll, bool num, bool caps) override;
    bool RestoreLeds() override;
    void Close() override;

  private:
    struct Led {
        std::string folder;
        UniqueFd brightness;
        std::string trigger;  // the one it had before ZEB took it
        bool litAtOpen = false;
    };
    // Num Lock, Caps Lock, Scroll Lock.
    using Leds = std::array<Led, 3>;

    bool OpenKeyboard(int number);
    bool TakeTriggers();
    bool GiveTriggersBack();
    bool WriteTrigger(const Led& led, const std::string& trigger);
    bool WriteBrightness(const Led& led, bool lit);
    void Forget();

    std::shared_ptr<SystemCalls> system_;
    std::string folder_;
    LockStateQuery lockStates_;
    Leds leds_;
    bool triggersTaken_ = false;
    bool wanted_ = false;  // opened and not closed by the owner
    int callsSinceLoss_ = 0;
    std::string openProblem_;
};

}  // namespace zeb
