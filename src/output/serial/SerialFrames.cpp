#include "output/serial/SerialFrames.h"

#include <string_view>

namespace zeb {

namespace {

// One 0xFF byte per shift step: only its start bit pulls the transmit line low, so every step
// gives exactly one pulse.
constexpr std::string_view kShiftPulse = "\xFF";
// The burst that lights the third lamp of the three-line output.
constexpr std::string_view kThreeLineBurst = "00000000000000000000000000000000";

bool Lit(const EngineState& state, int channel) {
    return state.ChannelStates[static_cast<size_t>(channel)] == 1;
}

// "COM" (litLevel false) and "USB8LED" (litLevel true) shift channels 0..7 out on DTR, one
// transmit pulse per channel. RTS is held at the lit level during the eight steps and flipped
// after the eighth, so the two modes use opposite levels on both lines.
SerialFrame ShiftFrame(const EngineState& state, bool litLevel) {
    SerialFrame frame{SerialStep::Rts(litLevel)};
    for (int i = 0; i < 8; ++i) {
        frame.push_back(SerialStep::Dtr(Lit(state, i) ? litLevel : !litLevel));
        frame.push_back(SerialStep::Send(kShiftPulse));
    }
    frame.push_back(SerialStep::Rts(!litLevel));
    return frame;
}

SerialFrame ThreeLineFrame(const EngineState& state) {
    SerialFrame frame{SerialStep::Dtr(!Lit(state, 0)), SerialStep::Rts(!Lit(state, 1))};
    if (Lit(state, 2)) {
        frame.push_back(SerialStep::Send(kThreeLineBurst));
    }
    return frame;
}

}  // namespace

void WriteSerialFrame(SerialMode mode, const EngineState& state, SerialPort& serial) {
    switch (mode) {
        case SerialMode::Com:
            serial.WriteFrame(ShiftFrame(state, false));
            break;
        case SerialMode::Usb8Led:
            serial.WriteFrame(ShiftFrame(state, true));
            break;
        case SerialMode::Usb3Led:
            serial.WriteFrame(ThreeLineFrame(state));
            break;
        case SerialMode::Off:
        case SerialMode::Ftdi:
            break;
    }
}

bool IsSerialLineMode(SerialMode mode) {
    return mode == SerialMode::Com || mode == SerialMode::Usb8Led || mode == SerialMode::Usb3Led;
}

}  // namespace zeb
