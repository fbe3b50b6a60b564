#include "output/serial/LinuxSerialPort.h"

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <optional>
#include <utility>

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

// A failing step is skipped like any failed write of the tick; the next step still runs.
// False when the step failed; bytes the full transmit buffer would not take are no failure.
bool PlayStep(SerialCalls& calls, const SerialStep& step) {
    switch (step.kind) {
        case SerialStep::Kind::Dtr:
            return calls.SetDtr(step.asserted);
        case SerialStep::Kind::Rts:
            return calls.SetRts(step.asserted);
        case SerialStep::Kind::Bytes: {
            const int taken = calls.WriteNonBlocking(step.bytes);
            return taken == 0 || (taken > 0 && calls.Drain());
        }
    }
    return true;
}

}  // namespace

// Everything the writer touches lives here and is kept alive by the writer itself, so a
// writer left behind in a drain never reaches into a driver that has gone on or gone away.
struct LinuxSerialPort::Line {
    explicit Line(std::shared_ptr<SerialCalls> lineCalls) : calls(std::move(lineCalls)) {}

    const std::shared_ptr<SerialCalls> calls;
    std::mutex mutex;
    std::condition_variable_any frameWaiting;
    std::condition_variable writerIdle;
    std::optional<SerialFrame> waiting;
    bool playing = false;
    bool givenUp = false;
    // Why the line went away, until the owner takes it; the handle is closed by then.
    std::string lost;
};

void LinuxSerialPort::PlayFrames(Line& line, const std::stop_token& stop) {
    std::unique_lock lock(line.mutex);
    while (line.frameWaiting.wait(lock, stop, [&line] { return line.waiting.has_value(); })) {
        const SerialFrame frame = std::move(*line.waiting);
        line.waiting.reset();
        line.playing = true;
        for (const auto& step : frame) {
            if (line.givenUp || !line.lost.empty()) {
                break;
            }
            lock.unlock();
            std::string lost;
            if (!PlayStep(*line.calls, step)) {
                lost = line.calls->LostReason();
                if (!lost.empty()) {
                    line.calls->Close();
                }
            }
            lock.lock();
            line.lost = std::move(lost);
        }
        line.playing = false;
        line.writerIdle.notify_all();
    }
    if (line.givenUp) {
        lock.unlock();
        line.calls->Close();
    }
}

LinuxSerialPort::LinuxSerialPort(SerialCallsMaker makeCalls) : makeCalls_(std::move(makeCalls)) {
    StartLine();
}

LinuxSerialPort::~LinuxSerialPort() {
    if (!FinishFrames()) {
        LeaveLineToWriter();
    }
}

void LinuxSerialPort::StartLine() {
    line_ = std::make_shared<Line>(makeCalls_());
    writer_ =
        std::jthread([line = line_](const std::stop_token& stop) { PlayFrames(*line, stop); });
}

bool LinuxSerialPort::FinishFrames() {
    Lock lock(line_->mutex);
    if (line_->writerIdle.wait_for(lock, kFinishLimit,
                                   [this] { return !line_->playing && !line_->waiting; })) {
        return true;
    }
    line_->waiting.reset();
    line_->givenUp = line_->playing;
    return !line_->givenUp;
}

void LinuxSerialPort::LeaveLineToWriter() {
    writer_.request_stop();
    writer_.detach();
    leftBehind_ = line_;
    leftBehindDevice_ = device_;
    open_ = false;  // the writer closes the handle
}

LinuxSerialPort::Lock LinuxSerialPort::Idle() {
    if (!FinishFrames()) {
        LeaveLineToWriter();
        StartLine();
    }
    return Lock(line_->mutex);
}

SerialCalls& LinuxSerialPort::Calls() {
    return *line_->calls;
}

bool LinuxSerialPort::WriteFrame(const SerialFrame& frame) {
    const Lock lock(line_->mutex);
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
    line_->waiting = frame;
    line_->frameWaiting.notify_one();
    return true;
}

std::optional<SerialLoss> LinuxSerialPort::TakeLoss() {
    const Lock lock(line_->mutex);
    if (line_->lost.empty()) {
        return std::nullopt;
    }
    open_ = false;
    line_->waiting.reset();
    return SerialLoss{device_, std::exchange(line_->lost, {})};
}

bool LinuxSerialPort::SetPortOpen(bool open) {
    const auto lock = Idle();
    if (!line_->lost.empty()) {
        // A loss not taken yet: its handle is closed already, and the owner's own closing or
        // opening supersedes it.
        line_->lost.clear();
        open_ = false;
    }
    if (!open) {
        if (open_) {
            Calls().Close();
            open_ = false;
        }
        return true;
    }
    if (open_) {
        return true;
    }
    // A device whose last handle is still held by a stalled writer would only stall again.
    const bool stillHeld = !leftBehind_.expired() && leftBehindDevice_ == device_;
    if (device_.empty() || stillHeld || !Calls().Open(device_)) {
        return false;
    }
    open_ = true;
    // A port that cannot take these (a modem line it lacks) still carries what it can.
    Calls().Configure(settings_);
    Calls().SetDtr(dtr_);
    Calls().SetRts(rts_);
    return true;
}

bool LinuxSerialPort::SetCommPort(int16_t number) {
    const auto lock = Idle();
    auto ports = Calls().ListPorts();
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
    return !open_ || Calls().Configure(settings_);
}

bool LinuxSerialPort::SetDTREnable(bool asserted) {
    const auto lock = Idle();
    dtr_ = asserted;
    return open_ && Calls().SetDtr(asserted);
}

bool LinuxSerialPort::SetRTSEnable(bool asserted) {
    const auto lock = Idle();
    rts_ = asserted;
    return open_ && Calls().SetRts(asserted);
}

bool LinuxSerialPort::Output(std::string_view bytes) {
    const auto lock = Idle();
    return open_ && Calls().WriteNonBlocking(bytes) == static_cast<int>(bytes.size());
}

}  // namespace zeb
