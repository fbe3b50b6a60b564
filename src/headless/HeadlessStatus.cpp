#include "headless/HeadlessStatus.h"

#include <cstdio>

#include "engine/EngineTick.h"

namespace zeb {

namespace {

constexpr double kFullScale = 32768.0;

}  // namespace

std::string StatusLine(const ProgramModel& model, const std::string& outputsInUse) {
    std::string lamps;
    for (const auto state : model.engine.ChannelStates) {
        lamps += state == 1 ? '#' : '-';
    }
    char level[16];
    std::snprintf(level, sizeof level, "%3d%%",
                  static_cast<int>(model.engine.PeakLeft * 100.0 / kFullScale + 0.5));
    // The tempo only while it is tracked, so runs without the beat keep the line they had.
    const std::string tempo = model.beat.tracking ? "  tempo " + model.beat.readout +
                                                        (model.beat.readout == "--" ? "" : " BPM") +
                                                        (model.beat.tapped ? " (tapped)" : "")
                                                  : "";
    return std::string("level ") + level + "  lamps " + lamps + tempo +
           "  outputs: " + outputsInUse;
}

std::string StateLine(const ProgramModel& model, const std::string& outputsInUse) {
    std::string input;
    if (model.capture.RecordHandle == 0) {
        input = "no sound input";
    } else if (model.engine.PeakLeft <= kSilencePeak) {
        input = "input silent (only channel 0 lit)";
    } else {
        input = "sound";
    }
    return input + "; outputs: " + outputsInUse;
}

}  // namespace zeb
