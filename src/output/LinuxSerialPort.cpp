#include "output/LinuxSerialPort.h"

#include <algorithm>
#include <cctype>

namespace zeb {
namespace {

// Digit runs compare by value, so ttyS2 comes before ttyS10.
bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    const auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t endA = i;
            std::size_t endB = j;
            while (endA < a.size() && isDigit(a[endA])) {
                ++endA;
            }
            while (endB < b.size() && isDigit(b[endB])) {
                ++endB;
            }
            // Without leading zeros, a longer run is the larger number.
            std::string_view runA(a.data() + i, endA - i);
            std::string_view runB(b.data() + j, endB - j);
            runA.remove_prefix(std::min(runA.find_first_not_of('0'), runA.size()));
            runB.remove_prefix(std::min(runB.find_first_not_of('0'), runB.size()));
            if (runA.size() != runB.size()) {
                return runA.size() < runB.size();
            }
            if (runA != runB) {
                return runA < runB;
            }
            i = endA;
            j = endB;
        } else {
            if (a[i] != b[j]) {
                return a[i] < b[j];
            }
            ++i;
            ++j;
        }
    }
    if (i == a.size() && j == b.size()) {
        return a < b;  // equal but for leading zeros
    }
    return i == a.size();
}

}  // namespace

LinuxSerialPort::LinuxSerialPort(std::shared_ptr<SerialCalls> calls) : calls_(std::move(calls)) {}

bool LinuxSerialPort::SetPortOpen(bool open) {
    if (!open) {
        if (open_) {
            calls_->Close();
            open_ = false;
        }
        return true;
    }
    if (open_) {
        return true;
    }
    if (device_.empty() || !calls_->Open(device_)) {
        return false;
    }
    open_ = true;
    // A port that cannot take these (a modem line it lacks) still carries what it can.
    calls_->Configure(settings_);
    calls_->SetDtr(dtr_);
    calls_->SetRts(rts_);
    return true;
}

bool LinuxSerialPort::SetCommPort(int16_t number) {
    auto ports = calls_->ListPorts();
    std::sort(ports.begin(), ports.end(), NaturalLess);
    if (number < 1 || static_cast<std::size_t>(number) > ports.size()) {
        device_.clear();
        return false;
    }
    device_ = ports[static_cast<std::size_t>(number) - 1];
    return true;
}

bool LinuxSerialPort::SetCommDevice(const std::string& path) {
    device_ = path;
    return !path.empty();
}

bool LinuxSerialPort::SetSettings(const std::string& settings) {
    const auto parsed = ParseSerialLineSettings(settings);
    if (!parsed) {
        return false;
    }
    settings_ = *parsed;
    return !open_ || calls_->Configure(settings_);
}

bool LinuxSerialPort::SetDTREnable(bool asserted) {
    dtr_ = asserted;
    return open_ && calls_->SetDtr(asserted);
}

bool LinuxSerialPort::SetRTSEnable(bool asserted) {
    rts_ = asserted;
    return open_ && calls_->SetRts(asserted);
}

bool LinuxSerialPort::Output(std::string_view bytes) {
    return open_ && calls_->WriteNonBlocking(bytes) == static_cast<int>(bytes.size());
}

}  // namespace zeb
