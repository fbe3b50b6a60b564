#pragma once
// The FTDI chip in bit-bang mode: channels 0..7 on its eight pins, one byte per engine tick.

#include "engine/MessageSink.h"
#include "output/Devices.h"
#include "output/Output.h"
#include "output/OutputSelection.h"

namespace zeb {

class FtdiOutput : public Output {
  public:
    FtdiOutput(FtdiDevice& device, const OutputSelection& selection, MessageSink& messages)
        : device_(device), selection_(selection), messages_(messages) {}

    bool InUse() const override { return selection_.OutputMode.Is(SerialMode::Ftdi); }
    // Opened at every activation, whatever output mode is selected.
    void Open() override;
    void Write(const LampFrame& frame) override;
    // All pins low, whatever output mode is selected.
    void Darken() override;
    void Close() override;
    std::string StateLine() const override { return "USB FTDI"; }

  private:
    FtdiDevice& device_;
    const OutputSelection& selection_;
    MessageSink& messages_;
};

}  // namespace zeb
