#pragma once
// The last thing every way out of the program does: every lamp dark, every device let go.

#include <string>

#include "output/Devices.h"
#include "output/OutputSelection.h"
#include "output/keyboard/KeyboardLedOutput.h"

namespace zeb {

// The outputs a run has sent frames to. A lamp keeps the last frame it got, so an output
// switched off during the run still needs its dark frame on the way out.
class DrivenOutputs {
  public:
    // After each engine tick's frames, with the selection they were written for.
    void Note(const OutputSelection& selection);
    // `now` with every output this run has driven switched on again, in the serial mode
    // last written, so that the dark frames reach every lamp that was lit.
    OutputSelection ToDarken(const OutputSelection& now) const;

  private:
    bool parallel_ = false;
    std::string serialMode_;
};

// Darkens every output and closes its device, each step ignoring its own failure:
// - FTDI: all pins low (byte 00), then the chip is closed, whatever output mode is selected;
// - parallel port, when switched on: the all-dark frame, data register 00 and the control
//   register at its dark value (0b1011: bits 0, 1 and 3 are inverted at the connector);
// - serial port: the all-dark frame of the selected serial mode, then the port is closed
//   (a driver that queues bytes sends them before it closes);
// - keyboard LEDs: back to the keyboard's own lock states, then the keyboard is closed.
// `addressBoxText` is what the parallel-port address list shows, as for the per-tick frame.
// An output added to the program adds its own line here. (DMX is the exception: its connection
// belongs to the program, which darkens and closes it in the same way out.)
void DarkenEveryOutput(const OutputSelection& selection, const std::string& addressBoxText,
                       OutputDevices& devices, KeyboardLedOutput& keyboard);

}  // namespace zeb
