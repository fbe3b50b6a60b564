#include "output/parallel/ParallelFrame.h"

#include <charconv>
#include <string_view>

namespace zeb {

namespace {

constexpr uint16_t kControlRegisterOffset = 2;

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

void WriteParallelFrame(const std::string& dataAddressText, const std::string& addressBoxText,
                        const EngineState& state, PortIo& port) {
    constexpr int kByteSize = 1;
    if (const auto data = ReadHexPort(dataAddressText)) {
        port.SetPortVal(*data, static_cast<uint32_t>(state.ChannelByte) & 0xFFu, kByteSize);
    }
    const uint8_t nibble = ControlNibble(state.ChannelStates);
    if (const auto base = ReadHexPort(addressBoxText)) {
        // Port numbers are 16 bits: FFFF + 2 wraps to 0001.
        const auto control = static_cast<uint16_t>(*base + kControlRegisterOffset);
        port.SetPortVal(control, nibble, kByteSize);
    }
}

}  // namespace zeb
