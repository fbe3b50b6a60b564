#include "app/Beat.h"

#include <algorithm>
#include <utility>

namespace zeb {

namespace {

constexpr Beat::Duration kGrid = std::chrono::milliseconds(5);
// A wake-up later than this (a suspended machine, a starved thread) takes only the newest step,
// as a late timer fires once; the capture keeps far more than this look back needs.
constexpr Beat::Duration::rep kMostStepsTakenLate = 10;

CaptureTime Present() {
    return std::chrono::steady_clock::now();
}

// `count` whole `unit`s, rounded up, that make `span`.
Beat::Duration::rep WholeUnits(Beat::Duration span, Beat::Duration unit) {
    return span <= Beat::Duration::zero() ? 0 : (span + unit - Beat::Duration(1)) / unit;
}

}  // namespace

Beat::Beat(Jobs jobs, WakeAt wakeAt) : jobs_(std::move(jobs)), wakeAt_(std::move(wakeAt)) {}

CaptureTime Beat::OnGrid(CaptureTime time) {
    if (!gridOrigin_) {
        gridOrigin_ = time;
    }
    return *gridOrigin_ + WholeUnits(time - *gridOrigin_, kGrid) * kGrid;
}

void Beat::StartEngine(CaptureTime now) {
    if (!gridOrigin_) {
        gridOrigin_ = now;
    }
    engineOn_ = true;
    nextEngine_ = OnGrid(now + kEngineInterval);
    AskForWakeUp();
}

void Beat::Stop() {
    engineOn_ = levelOn_ = spectrumOn_ = keyboardOn_ = false;
    ticksPerFrame_ = 0;
    AskForWakeUp();
}

void Beat::StartSteps(CaptureTime now) {
    if (StepsRunning()) {
        return;
    }
    if (!gridOrigin_) {
        gridOrigin_ = now;
    }
    nextStep_ = OnGrid(now + kStep);
}

void Beat::SwitchStepJob(bool& job, bool on, CaptureTime now) {
    if (on) {
        StartSteps(now);
    }
    job = on;
    AskForWakeUp();
}

void Beat::StartLevel(CaptureTime now) {
    SwitchStepJob(levelOn_, true, now);
}
void Beat::StartSpectrum(CaptureTime now) {
    SwitchStepJob(spectrumOn_, true, now);
}
void Beat::StopSpectrum() {
    SwitchStepJob(spectrumOn_, false, {});
}
void Beat::StartKeyboard(CaptureTime now) {
    SwitchStepJob(keyboardOn_, true, now);
}
void Beat::StopKeyboard() {
    SwitchStepJob(keyboardOn_, false, {});
}

void Beat::SetFramePeriod(std::optional<Duration> period) {
    ticksPerFrame_ =
        period ? static_cast<int>(std::max<Duration::rep>(WholeUnits(*period, kEngineInterval), 1))
               : 0;
    // A window coming back on screen shows its first frame at the next tick.
    ticksSinceFrame_ = ticksPerFrame_;
}

void Beat::StartSpectrumTimer() {
    StartSpectrum(Present());
}
void Beat::StopSpectrumTimer() {
    StopSpectrum();
}
void Beat::StartLevelTimer() {
    StartLevel(Present());
}
void Beat::StartKeyboardTimer() {
    StartKeyboard(Present());
}
void Beat::StopKeyboardTimer() {
    StopKeyboard();
}

bool Beat::TakeSteps(CaptureTime now) {
    if (!StepsRunning() || nextStep_ > now) {
        return false;
    }
    const Duration::rep late = (now - nextStep_) / kStep;
    if (late >= kMostStepsTakenLate) {
        nextStep_ += late * kStep;
    }
    while (nextStep_ <= now) {
        const CaptureTime step = nextStep_;
        nextStep_ += kStep;
        if (levelOn_) {
            jobs_.level(step);
        }
        newestStep_ = step;
    }
    return true;
}

void Beat::RunEngineTick(CaptureTime now) {
    nextEngine_ += kEngineInterval;
    if (nextEngine_ <= now) {
        // After a stall the beat starts afresh instead of catching up on every missed tick.
        gridOrigin_ = now;
        nextEngine_ = now + kEngineInterval;
        nextStep_ = OnGrid(nextStep_);
    }
    jobs_.engine();
}

void Beat::WakeUp(CaptureTime now) {
    const bool stepped = TakeSteps(now);
    const bool engineDue = engineOn_ && nextEngine_ <= now;
    if (spectrumOn_ && engineDue && newestStep_ && newestStep_ != spectrumStep_) {
        spectrumStep_ = newestStep_;
        jobs_.spectrum(*newestStep_);
    }
    if (engineDue) {
        RunEngineTick(now);
    }
    if (keyboardOn_ && stepped) {
        jobs_.keyboard();
    }
    if (engineDue && ticksPerFrame_ > 0 && ++ticksSinceFrame_ >= ticksPerFrame_) {
        ticksSinceFrame_ = 0;
        jobs_.frame();
    }
    AskForWakeUp();
}

std::optional<CaptureTime> Beat::NextWakeUp() const {
    std::optional<CaptureTime> next;
    const auto consider = [&next](CaptureTime time) {
        if (!next || time < *next) {
            next = time;
        }
    };
    if (engineOn_) {
        consider(nextEngine_);
    }
    if (StepsRunning() && keyboardOn_) {
        consider(nextStep_);
    }
    return next;
}

void Beat::AskForWakeUp() const {
    if (wakeAt_) {
        wakeAt_(NextWakeUp());
    }
}

}  // namespace zeb
