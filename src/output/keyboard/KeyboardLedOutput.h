#pragma once
// The keyboard-LED output: while it runs, channels 0, 1 and 2 show on the Num Lock, Caps Lock
// and Scroll Lock LEDs. The owner calls Tick from its own fast timer.

#include <string>

#include "engine/ModelValues.h"
#include "output/Devices.h"

namespace zeb {

extern const std::string kKeyboardMessage;

class KeyboardLedOutput {
  public:
    explicit KeyboardLedOutput(KeyboardLedDevice& device) : device_(device) {}

    // Opens the keyboard and lights Num Lock only. False when no keyboard can be opened: the
    // caller shows kKeyboardMessage and ends the program.
    bool Start();
    // Num Lock = channel 0, Caps Lock = channel 1, Scroll Lock = channel 2 (lit when 1).
    void Tick(const ChannelStatesArray& channels);
    // The LEDs show the keyboard's own lock states again, then the keyboard is closed.
    void Stop();
    bool Running() const { return running_; }

  private:
    KeyboardLedDevice& device_;
    bool running_ = false;
};

}  // namespace zeb
