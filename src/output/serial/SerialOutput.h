#pragma once
// The serial port in one of its three lamp modes ("COM", "USB8LED", "USB3LED"): channels on the
// modem-control lines and the transmit line.

#include <optional>

#include "engine/MessageSink.h"
#include "engine/ModelValues.h"
#include "output/Devices.h"
#include "output/Output.h"
#include "output/OutputSelection.h"

namespace zeb {

class SerialOutput : public Output {
  public:
    SerialOutput(SerialPort& port, const OutputSelection& selection, const ChoiceList& portBox,
                 MessageSink& messages)
        : port_(port), selection_(selection), portBox_(portBox), messages_(messages) {}

    bool InUse() const override;
    // The port the port box names, opened afresh at every activation, whatever mode is
    // selected.
    void Open() override;
    void Write(const LampFrame& frame) override;
    // The all-dark frame of the mode last written (the lamps wired for it are the ones lit),
    // or of the selected mode when none was.
    void Darken() override;
    // A driver that queues bytes sends them before it closes.
    void Close() override;
    std::string StateLine() const override;

  private:
    SerialPort& port_;
    const OutputSelection& selection_;
    const ChoiceList& portBox_;
    MessageSink& messages_;
    std::optional<SerialMode> written_;
};

}  // namespace zeb
