#include "web/WebState.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "core/ModelActions.h"
#include "engine/EngineTick.h"
#include "web/WebChange.h"

namespace zeb {

namespace {

using nlohmann::json;

constexpr std::array<Toggle, 8> kToggles = {Toggle::Lpt,      Toggle::Com,  Toggle::Ftdi,
                                            Toggle::Keyboard, Toggle::Usb3, Toggle::Usb8,
                                            Toggle::Auto,     Toggle::Dmx};

bool ToggleOn(const ProgramModel& model, Toggle toggle) {
    const auto& outputs = model.outputs;
    switch (toggle) {
        case Toggle::Lpt:
            return outputs.LptSwitch.On();
        case Toggle::Com:
            return outputs.OutputMode.Is(SerialMode::Com);
        case Toggle::Ftdi:
            return outputs.OutputMode.Is(SerialMode::Ftdi);
        case Toggle::Keyboard:
            return outputs.KeyboardSwitch.On();
        case Toggle::Usb3:
            return outputs.OutputMode.Is(SerialMode::Usb3Led);
        case Toggle::Usb8:
            return outputs.OutputMode.Is(SerialMode::Usb8Led);
        case Toggle::Auto:
            return model.AutoMode.On();
        case Toggle::Dmx:
            return model.dmx.On();
    }
    return false;
}

json List(const ChoiceList& list) {
    return {{"entries", list.Entries()}, {"index", list.Index()}, {"text", list.Text()}};
}

// Tenths are all a bar or a number on a phone shows.
double Tenths(double value) {
    return std::round(value * 10.0) / 10.0;
}

}  // namespace

std::string WebStateJson(const ProgramModel& model, const std::string& outputsInUse,
                         const WebMessages& messages) {
    const EngineState& engine = model.engine;
    json channels = json::array();
    for (int i = 0; i < kChannelCount; ++i) {
        const auto at = static_cast<size_t>(i);
        const ChannelConfig& channel = model.channels[at];
        channels.push_back({{"band", ClampedBand(BandCaptionNumber(channel.bandCaption))},
                            {"caption", channel.bandCaption},
                            {"threshold", channel.threshold.Value()},
                            {"lit", engine.lampLit[at]},
                            {"auto", Tenths(engine.AutoThreshold[at])}});
    }
    json spectrum = json::array();
    for (const double band : engine.SpectrumBands) {
        spectrum.push_back(Tenths(band));
    }
    json toggles = json::object();
    for (const Toggle toggle : kToggles) {
        toggles[ToggleName(toggle)] = ToggleOn(model, toggle);
    }
    json shown = json::array();
    for (const WebMessage& message : messages.Recent()) {
        shown.push_back({{"number", message.number},
                         {"text", message.text},
                         {"title", message.title},
                         {"detail", message.detail}});
    }
    const json state = {
        {"channels", std::move(channels)},
        {"spectrum", std::move(spectrum)},
        {"toggles", std::move(toggles)},
        {"level", model.sLevel.Value()},
        {"gain", model.slider2.Value()},
        {"meters", {Tenths(engine.MeterLeft), Tenths(engine.MeterRight)}},
        {"speed", List(model.combo4)},
        {"lpt", List(model.combo1)},
        {"lptAddress", model.outputs.LptAddressText},
        {"com", List(model.combo2)},
        {"devices", List(model.capture.devices)},
        {"inputs", List(model.capture.inputs)},
        {"dmx", {{"universe", model.dmx.universe.Value()},
                 {"address", model.dmx.startAddress.Value()},
                 {"lastAddress", model.dmx.startAddress.Max()}}},
        {"captureLost", model.capture.lost},
        {"capturing", model.capture.RecordHandle != 0},
        {"oladLost", model.dmx.On() && model.dmx.oladLost},
        {"silent", engine.PeakLeft <= kSilencePeak},
        {"outputs", outputsInUse},
        {"messages", std::move(shown)},
    };
    // Names or captions typed by hand need not be UTF-8: the page gets a replacement character.
    return state.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace zeb
