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

LinuxSerialPort::LinuxSerialPort(std::shared_ptr<SerialCalls> calls) : calls_(std::move(calls)) {
    writer_ = std::jthread([this](const std::stop_token& stop) { PlayFrames(stop); });
}

LinuxSerialPort::~LinuxSerialPort() {
    Idle();
}

LinuxSerialPort::Lock LinuxSerialPort::Idle() {
    Lock lock(mutex_);
    const auto idle = [this] { return !playing_ && !waiting_; };
    if (!writerIdle_.wait_for(lock, kFinishLimit, idle)) {
        // A port that does not drain (a stalled adapter) must not hold the program: drop the
        // waiting frame and the rest of the one in progress. The step at hand still ends.
        waiting_.reset();
        dropRest_ = true;
        writerIdle_.wait(lock, [this] { return !playing_; });
        dropRest_ = false;
    }
    return lock;
}

void LinuxSerialPort::PlayFrames(const std::stop_token& stop) {
    Lock lock(mutex_);
    while (frameWaiting_.wait(lock, stop, [this] { return waiting_.has_value(); })) {
        const SerialFrame frame = std::move(*waiting_);
        waiting_.reset();
        playing_ = true;
        for (const auto& step : frame) {
            if (dropRest_) {
                break;
            }
            lock.unlock();
            PlayStep(step);
            lock.lock();
        }
        playing_ = false;
        writerIdle_.notify_all();
    }
}

// A failing step is skipped like any failed write of the tick; the next step still runs.
void LinuxSerialPort::PlayStep(const SerialStep& step) {
    switch (step.kind) {
        case SerialStep::Kind::Dtr:
            calls_->SetDtr(step.asserted);
            break;
        case SerialStep::Kind::Rts:
            calls_->SetRts(step.asserted);
            break;
        case SerialStep::Kind::Bytes:
            if (calls_->WriteNonBlocking(step.bytes) > 0) {
                calls_->Drain();
            }
            break;
    }
}

bool LinuxSerialPort::WriteFrame(const SerialFrame& frame) {
    const Lock lock(mutex_);
    if (!open_) {
        return false;
    }
    for (const auto& step : frame) {
        if (step.kind == SerialStep::Kind::Dtr) {
            dtr_ = step.asserted;
        } else if (step.kind == SerialStep::Kind::Rts) {
            rts_ = step.asserted;
        }
    }
    waiting_ = frame;
    frameWaiting_.notify_one();
    return true;
}

bool LinuxSerialPort::SetPortOpen(bool open) {
    const auto lock = Idle();
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
    const auto lock = Idle();
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
    const auto lock = Idle();
    device_ = path;
    return !path.empty();
}

bool LinuxSerialPort::SetSettings(const std::string& settings) {
    const auto lock = Idle();
    const auto parsed = ParseSerialLineSettings(settings);
    if (!parsed) {
        return false;
    }
    settings_ = *parsed;
    return !open_ || calls_->Configure(settings_);
}

bool LinuxSerialPort::SetDTREnable(bool asserted) {
    const auto lock = Idle();
    dtr_ = asserted;
    return open_ && calls_->SetDtr(asserted);
}

bool LinuxSerialPort::SetRTSEnable(bool asserted) {
    const auto lock = Idle();
    rts_ = asserted;
    return open_ && calls_->SetRts(asserted);
}

bool LinuxSerialPort::Output(std::string_view bytes) {
    const auto lock = Idle();
    return open_ && calls_->WriteNonBlocking(bytes) == static_cast<int>(bytes.size());
}

}  // namespace zeb
