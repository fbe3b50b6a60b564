#include "RecordingDevices.h"

#include <cstdio>
#include <memory>

namespace zeb::testing {

namespace {

std::string Hex(uint32_t value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", width, value);
    return text;
}

// Bytes as hex pairs, runs of one byte folded: "FF", "30x32".
std::string Bytes(std::string_view bytes) {
    if (bytes.empty()) {
        return "-";
    }
    const auto first = static_cast<uint8_t>(bytes[0]);
    if (bytes.find_first_not_of(bytes[0]) == std::string_view::npos) {
        return Hex(first, 2) + "x" + std::to_string(bytes.size());
    }
    std::string text;
    for (const char c : bytes) {
        text += Hex(static_cast<uint8_t>(c), 2);
    }
    return text;
}

}  // namespace

bool RecordingPort::InitializeWinIo() {
    log_.push_back("port init");
    return initializes_;
}

bool RecordingPort::SetPortVal(uint16_t port, uint32_t value, int size) {
    log_.push_back("port " + Hex(port, 4) + " " + Hex(value, 2) + " size " + std::to_string(size));
    return true;
}

bool RecordingSerial::SetPortOpen(bool open) {
    log_.push_back(open ? "serial open" : "serial close");
    return true;
}

bool RecordingSerial::SetCommPort(int16_t number) {
    log_.push_back("serial port " + std::to_string(number));
    return true;
}

bool RecordingSerial::SetCommDevice(const std::string& path) {
    log_.push_back("serial device " + path);
    return true;
}

bool RecordingSerial::SetSettings(const std::string& settings) {
    log_.push_back("serial settings " + settings);
    return true;
}

bool RecordingSerial::SetDTREnable(bool asserted) {
    log_.push_back(asserted ? "DTR 1" : "DTR 0");
    return true;
}

bool RecordingSerial::SetRTSEnable(bool asserted) {
    log_.push_back(asserted ? "RTS 1" : "RTS 0");
    return true;
}

bool RecordingSerial::Output(std::string_view bytes) {
    log_.push_back("out " + Bytes(bytes));
    return true;
}

int RecordingFtdi::Open(int index) {
    log_.push_back("ftdi open " + std::to_string(index));
    return 0;
}

int RecordingFtdi::SetBitMode(uint8_t mask, uint8_t mode) {
    log_.push_back("ftdi bitmode " + Hex(mask, 2) + " " + Hex(mode, 2));
    return 0;
}

int RecordingFtdi::SetBaudRate(int baud) {
    log_.push_back("ftdi baud " + std::to_string(baud));
    return 0;
}

int RecordingFtdi::Write(uint8_t byte) {
    log_.push_back("ftdi " + Hex(byte, 2));
    return 0;
}

int RecordingFtdi::Close() {
    log_.push_back("ftdi close");
    return 0;
}

OutputDevices RecordingDevices(CallLog& log) {
    OutputDevices devices;
    devices.port = std::make_unique<RecordingPort>(log);
    devices.serial = std::make_unique<RecordingSerial>(log);
    devices.ftdi = std::make_unique<RecordingFtdi>(log);
    devices.keyboard = std::make_unique<AbsentKeyboard>();
    return devices;
}

}  // namespace zeb::testing
