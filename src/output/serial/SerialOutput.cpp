#include "output/serial/SerialOutput.h"

#include "output/serial/SerialFrames.h"
#include "output/serial/SerialSetup.h"

namespace zeb {

namespace {

// "serial port 2 (/dev/ttyUSB0)", or "serial port /dev/ttyUSB0" when the box names the device.
std::string PortName(const std::string& boxText, const std::string& device) {
    if (boxText.empty() || boxText == device) {
        return "serial port " + device;
    }
    return "serial port " + boxText + " (" + device + ")";
}

}  // namespace

bool SerialOutput::InUse() const {
    return IsSerialLineMode(selection_.OutputMode.Get());
}

void SerialOutput::Open() {
    const std::string text = portBox_.Text();
    const std::string port = "serial port " + (text.empty() ? "(none chosen)" : text);
    const bool opened = COM(port_, text);
    messages_.LogEvent(port + (opened ? " opened" : " could not be opened"));
    // A port still away stays looked for; the activation may have chosen another one.
    if (opened && lost_) {
        lost_.reset();
        ShowLost({});
    }
}

void SerialOutput::Write(const LampFrame& frame) {
    if (!lost_) {
        if (auto loss = port_.TakeLoss()) {
            lost_ = std::move(loss);
            ticksUntilReopen_ = kTicksBetweenReopens;
            const std::string line = PortName(portBox_.Text(), lost_->device) +
                                     " lost: " + lost_->reason +
                                     "; it is opened again as soon as it is back";
            messages_.Notice(line);
            ShowLost(line);
        }
    }
    if (lost_ && !Reopened()) {
        return;
    }
    const SerialMode mode = selection_.OutputMode.Get();
    WriteSerialFrame(mode, frame.state, port_);
    written_ = mode;
}

bool SerialOutput::Reopened() {
    if (--ticksUntilReopen_ > 0) {
        return false;
    }
    ticksUntilReopen_ = kTicksBetweenReopens;
    // The driver opens the device it lost, with the line settings and levels it had.
    if (!port_.SetPortOpen(true)) {
        return false;
    }
    messages_.LogEvent(PortName(portBox_.Text(), lost_->device) + " opened again");
    lost_.reset();
    ShowLost({});
    return true;
}

void SerialOutput::ShowLost(const std::string& line) {
    if (lostShown_ != nullptr) {
        *lostShown_ = line;
    }
}

void SerialOutput::Darken() {
    WriteSerialFrame(written_.value_or(selection_.OutputMode.Get()), EngineState{}, port_);
}

void SerialOutput::Close() {
    port_.SetPortOpen(false);
}

std::string SerialOutput::StateLine() const {
    std::string caption;
    switch (selection_.OutputMode.Get()) {
        case SerialMode::Com:
            caption = "COM";
            break;
        case SerialMode::Usb3Led:
            caption = "USB-D 3";
            break;
        case SerialMode::Usb8Led:
            caption = "USB-D 8";
            break;
        case SerialMode::Off:
        case SerialMode::Ftdi:
            return {};
    }
    return lost_ ? caption + " (port lost)" : caption;
}

}  // namespace zeb
