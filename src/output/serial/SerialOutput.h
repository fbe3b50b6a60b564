#pragma once
// The serial port in one of its three lamp modes ("COM", "USB8LED", "USB3LED"): channels on the
// modem-control lines and the transmit line.

#include <optional>
#include <string>

#include "engine/MessageSink.h"
#include "engine/ModelValues.h"
#include "output/Devices.h"
#include "output/Output.h"
#include "output/OutputSelection.h"

namespace zeb {

class SerialOutput : public Output {
  public:
    // About every half second at one engine tick per 35 ms: a port that went away is looked
    // for again this often, well within the 2 s its user waits after plugging it back in.
    static constexpr int kTicksBetweenReopens = 14;

    // `lostShown`, when given, holds the line about a port that went away while it is away.
    SerialOutput(SerialPort& port, const OutputSelection& selection, const ChoiceList& portBox,
                 MessageSink& messages, std::string* lostShown = nullptr)
        : port_(port),
          selection_(selection),
          portBox_(portBox),
          messages_(messages),
          lostShown_(lostShown) {}

    bool InUse() const override;
    // The port the port box names, opened afresh at every activation, whatever mode is
    // selected.
    void Open() override;
    // A port that went away is reported once, then opened again by its device name as soon as
    // it is back; no frame is written meanwhile.
    void Write(const LampFrame& frame) override;
    // The all-dark frame of the mode last written (the lamps wired for it are the ones lit),
    // or of the selected mode when none was.
    void Darken() override;
    // A driver that queues bytes sends them before it closes.
    void Close() override;
    // The mode's caption, with " (port lost)" while its port is away.
    std::string StateLine() const override;

  private:
    // Whether the lost port is open again; tries every kTicksBetweenReopens calls.
    bool Reopened();
    void ShowLost(const std::string& line);

    SerialPort& port_;
    const OutputSelection& selection_;
    const ChoiceList& portBox_;
    MessageSink& messages_;
    std::string* lostShown_;
    std::optional<SerialMode> written_;
    std::optional<SerialLoss> lost_;
    int ticksUntilReopen_ = 0;
};

}  // namespace zeb
