#pragma once
// The DMX output: the twelve channels as levels or colours in universes of the lighting daemon
// (olad), sent from a thread of its own. Its connection runs from the switch going on (or a
// start-up with it on) until it goes off or the program ends.

#include <memory>
#include <optional>
#include <string>

#include "engine/MessageSink.h"
#include "output/Devices.h"
#include "output/Output.h"
#include "output/dmx/DmxFrame.h"
#include "output/dmx/DmxSender.h"
#include "output/dmx/DmxSettings.h"

namespace zeb {

// Where the output sends, as the status line and the window show it: "DMX universe 1",
// "DMX universe 1, 12 RGB lamps", "DMX universe 1, 120 pixels", "DMX universes 1 to 4, 680 pixels".
std::string DmxPatchText(const DmxSettings& settings);

class DmxOutput : public Output {
  public:
    // Why the output could not start: the message to show and its detail.
    struct StartFailure {
        std::string text;
        std::string detail;
    };

    // What starting does when no olad answers: the window's user switches the output on again
    // once olad runs; a service nobody watches waits for it (olad often starts after it).
    enum class WhenOladAbsent { SwitchOff, KeepTrying };

    DmxOutput(DmxLinkFactory links, DmxSettings& settings, MessageSink& messages)
        : links_(std::move(links)), settings_(settings), messages_(messages) {}
    ~DmxOutput() override;

    bool InUse() const override { return settings_.On(); }
    // Connects to olad. A daemon that neither answers nor refuses yet is given the benefit of
    // the doubt: the sender keeps trying and logs when it gets through. One that refuses is a
    // failure, unless `whenAbsent` says to wait: the sender then keeps trying, a line says so
    // and the state line shows it until olad answers.
    std::optional<StartFailure> Start(WhenOladAbsent whenAbsent = WhenOladAbsent::SwitchOff);
    // Every slot of ZEB at the off level, then the connection closed. Returns within a fraction
    // of a second even when olad hangs; nothing happens while the output does not run. The
    // switch stays as it is.
    void Stop();
    void Write(const LampFrame& frame) override;
    void Darken() override { Stop(); }
    std::string StateLine() const override;

  private:
    // The connection's events to the log, and its state to the settings' display.
    void LogEvents();

    DmxLinkFactory links_;
    DmxSettings& settings_;
    MessageSink& messages_;
    DmxFrameMaker frames_;
    // The channels' colours as the last tick had them, for the frame that darkens the lamps.
    ChannelConfigs channels_ = DefaultChannelConfigs();
    // Exists while the output runs.
    std::unique_ptr<DmxSender> sender_;
    // While no olad answers: whether one ever did since the output started.
    bool oladSeen_ = false;
};

}  // namespace zeb
