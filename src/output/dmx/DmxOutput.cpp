#include "output/dmx/DmxOutput.h"

#include <chrono>

#include "output/dmx/OlaModule.h"

namespace zeb {

namespace {

// olad answers on this computer at once or not at all; the wait only bounds a hung daemon.
constexpr std::chrono::milliseconds kFirstContactWait{500};
constexpr std::chrono::milliseconds kCloseBound{250};

}  // namespace

std::string DmxPatchText(const DmxSettings& settings) {
    const int32_t universe = settings.universe.Value();
    switch (settings.layout) {
        case DmxLayout::Channels:
            break;
        case DmxLayout::Rgb:
            return "DMX universe " + std::to_string(universe) + ", 12 RGB lamps";
        case DmxLayout::Rgbw:
            return "DMX universe " + std::to_string(universe) + ", 12 RGBW lamps";
        case DmxLayout::Pixels: {
            const int32_t pixels = settings.pixels.Value();
            const int32_t last = universe + (pixels - 1) / kPixelsPerUniverse;
            const std::string universes =
                last == universe
                    ? "DMX universe " + std::to_string(universe)
                    : "DMX universes " + std::to_string(universe) + " to " + std::to_string(last);
            return universes + ", " + std::to_string(pixels) + (pixels == 1 ? " pixel" : " pixels");
        }
    }
    return "DMX universe " + std::to_string(universe);
}

DmxOutput::~DmxOutput() = default;

std::optional<DmxOutput::StartFailure> DmxOutput::Start(WhenOladAbsent whenAbsent) {
    const int32_t port = settings_.rpcPort.Value();
    StartFailure failure{DmxUnreachableText(port), {}};
    if (links_) {
        if (std::unique_ptr<DmxLink> link = links_(static_cast<uint16_t>(port), failure.detail)) {
            auto sender = std::make_unique<DmxSender>(std::move(link),
                                                      "olad on port " + std::to_string(port));
            const bool refused =
                sender->WaitForFirstContact(kFirstContactWait) == DmxSender::FirstContact::Refused;
            if (!refused || whenAbsent == WhenOladAbsent::KeepTrying) {
                if (refused) {
                    messages_.Notice(DmxWaitingText(port));
                }
                sender_ = std::move(sender);
                LogEvents();
                return std::nullopt;
            }
            sender->Close(std::nullopt, kCloseBound);
        } else {
            failure.text = kDmxModuleMessage;
        }
    }
    return failure;
}

void DmxOutput::Stop() {
    if (!sender_) {
        return;
    }
    sender_->Close(Darkened(frames_.Make(settings_, EngineState{}, channels_, false)), kCloseBound);
    LogEvents();
    sender_.reset();
    settings_.oladLost = false;
    oladSeen_ = false;
}

void DmxOutput::Write(const LampFrame& frame) {
    if (!sender_) {
        return;
    }
    for (size_t i = 0; i < kChannelCount; ++i) {
        channels_[i].colour = frame.channels[i].colour;
    }
    sender_->Post(frames_.Make(settings_, frame.state, frame.channels, frame.automatic));
    LogEvents();
}

std::string DmxOutput::StateLine() const {
    std::string state;
    if (settings_.oladLost) {
        state = oladSeen_ ? " (olad lost)" : " (waiting for olad)";
    }
    return DmxPatchText(settings_) + state;
}

void DmxOutput::LogEvents() {
    for (const std::string& event : sender_->TakeEvents()) {
        messages_.LogEvent(event);
    }
    settings_.oladLost = sender_->LinkLost();
    oladSeen_ = sender_->HasConnected();
}

}  // namespace zeb
