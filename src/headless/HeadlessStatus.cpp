#include "headless/HeadlessStatus.h"

#include <cstdio>

#include "engine/EngineTick.h"

namespace zeb {

namespace {

constexpr double kFullScale = 32768.0;

}  // namespace

std::string OutputsInUse(const ProgramModel& model) {
    const OutputSelection& outputs = model.outputs;
    std::string names;
    const auto add = [&names](const std::string& name) {
        names += (names.empty() ? "" : ", ") + name;
    };
    const std::string& mode = outputs.OutputMode;
    if (mode == "COM") {
        add("COM");
    } else if (mode == "FTDI") {
        add("USB FTDI");
    } else if (mode == "USB3LED") {
        add("USB-D 3");
    } else if (mode == "USB8LED") {
        add("USB-D 8");
    }
    if (outputs.LptSwitch == "LPT") {
        add("LPT " + outputs.LptAddressText);
    }
    if (outputs.KeyboardSwitch == "1") {
        add("KEYBOARD");
    }
    if (model.dmx.On()) {
        add("DMX universe " + std::to_string(model.dmx.universe.Value()) +
            (model.dmx.oladLost ? " (olad lost)" : ""));
    }
    return names.empty() ? "none" : names;
}

std::string StatusLine(const ProgramModel& model) {
    std::string lamps;
    for (const auto state : model.engine.ChannelStates) {
        lamps += state == 1 ? '#' : '-';
    }
    char level[16];
    std::snprintf(level, sizeof level, "%3d%%",
                  static_cast<int>(model.engine.PeakLeft * 100.0 / kFullScale + 0.5));
    return std::string("level ") + level + "  lamps " + lamps + "  outputs: " + OutputsInUse(model);
}

std::string StateLine(const ProgramModel& model) {
    std::string input;
    if (model.capture.RecordHandle == 0) {
        input = "no sound input";
    } else if (model.engine.PeakLeft <= kSilencePeak) {
        input = "input silent (only channel 0 lit)";
    } else {
        input = "sound";
    }
    return input + "; outputs: " + OutputsInUse(model);
}

}  // namespace zeb
