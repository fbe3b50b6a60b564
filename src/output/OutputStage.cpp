#include "output/OutputStage.h"

#include <charconv>
#include <string_view>

namespace zeb {

namespace {

constexpr uint16_t kControlRegisterOffset = 2;
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

std::optional<uint16_t> ReadHexPort(const std::string& text) {
    const size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) {
        return std::nullopt;
    }
    // Reads the hexadecimal digits up to the first other character; leading zeros do not
    // count, so more than four significant digits exceed 0xFFFF (or overflow the parse).
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data() + start, end, value, 16);
    if (error != std::errc() || value > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

uint8_t ControlNibble(const ChannelStatesArray& states) {
    uint8_t lit = 0;
    for (int k = 0; k < 4; ++k) {
        if (states[static_cast<size_t>(8 + k)] == 1) {
            lit = static_cast<uint8_t>(lit | (1u << k));
        }
    }
    constexpr uint8_t kInvertedBits = 0b1011;
    return static_cast<uint8_t>(lit ^ kInvertedBits);
}

void WriteParallelFrame(const OutputSelection& selection, const std::string& addressBoxText,
                        const EngineState& state, PortIo& port) {
    constexpr int kByteSize = 1;
    if (const auto data = ReadHexPort(selection.LptAddressText)) {
        port.SetPortVal(*data, static_cast<uint32_t>(state.ChannelByte) & 0xFFu, kByteSize);
    }
    const uint8_t nibble = ControlNibble(state.ChannelStates);
    if (const auto base = ReadHexPort(addressBoxText)) {
        // Port numbers are 16 bits: FFFF + 2 wraps to 0001.
        const auto control = static_cast<uint16_t>(*base + kControlRegisterOffset);
        port.SetPortVal(control, nibble, kByteSize);
    }
}

void WriteSerialFrame(const std::string& mode, const EngineState& state, SerialPort& serial) {
    if (mode == "COM") {
        serial.WriteFrame(ShiftFrame(state, false));
    }
    if (mode == "USB8LED") {
        serial.WriteFrame(ShiftFrame(state, true));
    }
    if (mode == "USB3LED") {
        serial.WriteFrame(ThreeLineFrame(state));
    }
}

void WriteOutputs(const OutputSelection& selection, const std::string& addressBoxText,
                  const EngineState& state, OutputDevices& devices) {
    if (selection.OutputMode == "FTDI" && devices.ftdi) {
        devices.ftdi->Write(static_cast<uint8_t>(state.ChannelByte & 0xFF));
    }
    if (selection.LptSwitch == "LPT" && devices.port) {
        WriteParallelFrame(selection, addressBoxText, state, *devices.port);
    }
    if (devices.serial) {
        WriteSerialFrame(selection.OutputMode, state, *devices.serial);
    }
}

}  // namespace zeb
