#include "output/SimulatedDevices.h"

#include <array>
#include <cstdio>
#include <utility>

#include "output/dmx/DmxUniverses.h"
#include "output/serial/SerialLineSettings.h"

namespace zeb {
namespace {

constexpr int kNotOpen = -1;

std::string HexBytes(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string HexByte(uint8_t byte) {
    return HexBytes(std::string_view(reinterpret_cast<const char*>(&byte), 1));
}

}  // namespace

SimulatedPortIo::SimulatedPortIo(const std::filesystem::path& folder, MillisecondClock clock)
    : log_(folder / "lpt.log", std::move(clock)) {}

bool SimulatedPortIo::InitializeWinIo(std::optional<uint16_t>) {
    log_.Line("access ok");
    return true;
}

bool SimulatedPortIo::SetPortVal(uint16_t port, uint32_t value, int size) {
    if (size != 1) {
        return false;
    }
    char line[16];
    std::snprintf(line, sizeof line, "out %04x %02x", static_cast<unsigned>(port),
                  static_cast<unsigned>(value & 0xFF));
    log_.Line(line);
    return true;
}

SimulatedSerialPort::SimulatedSerialPort(const std::filesystem::path& folder,
                                         MillisecondClock clock)
    : log_(folder / "serial.log", std::move(clock)), unplugged_(folder / kUnpluggedFile) {}

bool SimulatedSerialPort::SetPortOpen(bool open) {
    lost_.reset();
    if (open && std::filesystem::exists(unplugged_)) {
        log_.Line("open failed");
        open_ = false;
        return false;
    }
    log_.Line(open ? "open" : "close");
    open_ = open;
    return true;
}

bool SimulatedSerialPort::SetCommPort(int16_t number) {
    log_.Line("port " + std::to_string(number));
    device_ = "simulated port " + std::to_string(number);
    return true;
}

bool SimulatedSerialPort::SetCommDevice(const std::string& path) {
    log_.Line("device " + path);
    device_ = path;
    return true;
}

std::optional<SerialLoss> SimulatedSerialPort::TakeLoss() {
    return std::exchange(lost_, std::nullopt);
}

bool SimulatedSerialPort::StillThere() {
    if (!std::filesystem::exists(unplugged_)) {
        return true;
    }
    log_.Line("lost");
    open_ = false;
    lost_ = SerialLoss{device_, "No such device"};
    return false;
}

bool SimulatedSerialPort::SetSettings(const std::string& settings) {
    log_.Line("settings " + settings);
    return ParseSerialLineSettings(settings).has_value();
}

bool SimulatedSerialPort::LineChange(const char* line, bool asserted) {
    if (!open_ || !StillThere()) {
        return false;
    }
    log_.Line(std::string(line) + (asserted ? " 1" : " 0"));
    return true;
}

bool SimulatedSerialPort::SetDTREnable(bool asserted) {
    return LineChange("dtr", asserted);
}

bool SimulatedSerialPort::SetRTSEnable(bool asserted) {
    return LineChange("rts", asserted);
}

bool SimulatedSerialPort::Output(std::string_view bytes) {
    if (!open_ || !StillThere()) {
        return false;
    }
    log_.Line("tx " + HexBytes(bytes));
    return true;
}

SimulatedFtdiDevice::SimulatedFtdiDevice(const std::filesystem::path& folder,
                                         MillisecondClock clock)
    : log_(folder / "ftdi.log", std::move(clock)) {}

int SimulatedFtdiDevice::Open(int index) {
    log_.Line("open " + std::to_string(index));
    open_ = true;
    return 0;
}

int SimulatedFtdiDevice::SetBitMode(uint8_t mask, uint8_t mode) {
    if (!open_) {
        return kNotOpen;
    }
    log_.Line("bitmode " + HexByte(mask) + " " + std::to_string(mode));
    return 0;
}

int SimulatedFtdiDevice::SetBaudRate(int baud) {
    if (!open_) {
        return kNotOpen;
    }
    log_.Line("baud " + std::to_string(baud));
    return 0;
}

int SimulatedFtdiDevice::Write(uint8_t byte) {
    if (!open_) {
        return kNotOpen;
    }
    log_.Line("write " + HexByte(byte));
    return 0;
}

int SimulatedFtdiDevice::Close() {
    if (!open_) {
        return kNotOpen;
    }
    log_.Line("close");
    open_ = false;
    return 0;
}

SimulatedKeyboardLeds::SimulatedKeyboardLeds(const std::filesystem::path& folder,
                                             MillisecondClock clock)
    : log_(folder / "kbd.log", std::move(clock)) {}

bool SimulatedKeyboardLeds::Open() {
    log_.Line("open");
    open_ = true;
    return true;
}

bool SimulatedKeyboardLeds::SetLeds(bool scroll, bool num, bool caps) {
    if (!open_) {
        return false;
    }
    log_.Line(std::string("leds num=") + (num ? "1" : "0") + " caps=" + (caps ? "1" : "0") +
              " scroll=" + (scroll ? "1" : "0"));
    return true;
}

bool SimulatedKeyboardLeds::RestoreLeds() {
    return SetLeds(false, false, false);
}

void SimulatedKeyboardLeds::Close() {
    if (open_) {
        log_.Line("close");
    }
    open_ = false;
}

SimulatedDmxLink::SimulatedDmxLink(const std::filesystem::path& folder, MillisecondClock clock,
                                   uint16_t rpcPort)
    : log_(folder / "dmx.log", std::move(clock)), rpcPort_(rpcPort) {}

bool SimulatedDmxLink::Connect() {
    log_.Line("open " + std::to_string(rpcPort_));
    open_ = true;
    return true;
}

bool SimulatedDmxLink::Send(const DmxFrame& frame) {
    if (!open_) {
        return false;
    }
    // One line a universe: its number, the first slot the frame fills and those slots.
    std::array<uint8_t, kDmxUniverseSlots> slots{};
    for (size_t index = 0; index < UniverseCount(frame.patch); ++index) {
        FillUniverse(frame, index, slots);
        const UsedSlots used = UsedSlotsOf(frame.patch, index);
        const std::string_view ours(reinterpret_cast<const char*>(slots.data()) + used.first,
                                    used.count);
        log_.Line("frame " + std::to_string(used.universe) + " " + std::to_string(used.first + 1) +
                  " " + HexBytes(ours));
    }
    return true;
}

void SimulatedDmxLink::Disconnect() {
    if (open_) {
        log_.Line("close");
    }
    open_ = false;
}

}  // namespace zeb
