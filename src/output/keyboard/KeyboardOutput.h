#pragma once
// The keyboard's lock LEDs as an output. They follow the channels at every 10 ms step rather
// than at the engine tick (the program's keyboard timer drives Leds()), so the tick writes
// nothing here.

#include "output/Devices.h"
#include "output/Output.h"
#include "output/OutputSelection.h"
#include "output/keyboard/KeyboardLedOutput.h"

namespace zeb {

class KeyboardOutput : public Output {
  public:
    KeyboardOutput(KeyboardLedDevice& device, const OutputSelection& selection)
        : leds_(device), selection_(selection) {}

    bool InUse() const override { return selection_.KeyboardSwitch.On(); }
    void Write(const LampFrame& /*frame*/) override {}
    // The LEDs show the keyboard's own lock states again, and the keyboard is closed.
    void Darken() override { leds_.Stop(); }
    std::string StateLine() const override { return "KEYBOARD"; }

    KeyboardLedOutput& Leds() { return leds_; }

  private:
    KeyboardLedOutput leds_;
    const OutputSelection& selection_;
};

}  // namespace zeb
