#include "output/serial/SerialOutput.h"

#include "output/serial/SerialFrames.h"
#include "output/serial/SerialSetup.h"

namespace zeb {

bool SerialOutput::InUse() const {
    return IsSerialLineMode(selection_.OutputMode.Get());
}

void SerialOutput::Open() {
    const std::string text = portBox_.Text();
    const std::string port = "serial port " + (text.empty() ? "(none chosen)" : text);
    messages_.LogEvent(port + (COM(port_, text) ? " opened" : " could not be opened"));
}

void SerialOutput::Write(const LampFrame& frame) {
    const SerialMode mode = selection_.OutputMode.Get();
    WriteSerialFrame(mode, frame.state, port_);
    written_ = mode;
}

void SerialOutput::Darken() {
    WriteSerialFrame(written_.value_or(selection_.OutputMode.Get()), EngineState{}, port_);
}

void SerialOutput::Close() {
    port_.SetPortOpen(false);
}

std::string SerialOutput::StateLine() const {
    switch (selection_.OutputMode.Get()) {
        case SerialMode::Com:
            return "COM";
        case SerialMode::Usb3Led:
            return "USB-D 3";
        case SerialMode::Usb8Led:
            return "USB-D 8";
        case SerialMode::Off:
        case SerialMode::Ftdi:
            break;
    }
    return {};
}

}  // namespace zeb
