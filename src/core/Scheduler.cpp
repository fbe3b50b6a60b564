#include "core/Scheduler.h"

#include <algorithm>
#include <utility>

namespace zeb {

namespace {

constexpr Scheduler::Duration kGrid = std::chrono::milliseconds(5);
// A wake-up later than this (a suspended machine, a starved thread) takes only the newest step,
// as a late timer fires once; the capture keeps far more than this look back needs.
constexpr Scheduler::Duration::rep kMostStepsTakenLate = 10;

CaptureTime Present() {
    return std::chrono::steady_clock::now();
}

// `count` whole `unit`s, rounded up, that make `span`.
Scheduler::Duration::rep WholeUnits(Scheduler::Duration span, Scheduler::Duration unit) {
    return span <= Scheduler::Duration::zero() ? 0 : (span + unit - Scheduler::Duration(1)) / unit;
}

}  // namespace

Scheduler::Scheduler(Jobs jobs, WakeAt wakeAt)
    : jobs_(std::move(jobs)), wakeAt_(std::move(wakeAt)) {}

CaptureTime Scheduler::OnGrid(CaptureTime time) {
    if (!gridOrigin_) {
        gridOrigin_ = time;
    }
    return *gridOrigin_ + WholeUnits(time - *gridOrigin_, kGrid) * kGrid;
}

void Scheduler::StartEngine(CaptureTime now) {
    if (!gridOrigin_) {
        gridOrigin_ = now;
    }
    engineOn_ = true;
    nextEngine_ = OnGrid(now + kEngineInterval);
    AskForWakeUp();
}

void Scheduler::Stop() {
    engineOn_ = levelOn_ = spectrumOn_ = keyboardOn_ = false;
    nextTimed_.reset();
    ticksPerFrame_ = 0;
    AskForWakeUp();
}

void Scheduler::StartSteps(CaptureTime now) {
    if (StepsRunning()) {
        return;
    }
    if (!gridOrigin_) {
        gridOrigin_ = now;
    }
    nextStep_ = OnGrid(now + kStep);
}

void Scheduler::SwitchStepJob(bool& job, bool on, CaptureTime now) {
    if (on) {
        StartSteps(now);
    }
    job = on;
    AskForWakeUp();
}

void Scheduler::StartLevel(CaptureTime now) {
    SwitchStepJob(levelOn_, true, now);
}
void Scheduler::StartSpectrum(CaptureTime now) {
    SwitchStepJob(spectrumOn_, true, now);
}
void Scheduler::StopSpectrum() {
    SwitchStepJob(spectrumOn_, false, {});
}
void Scheduler::StartKeyboard(CaptureTime now) {
    SwitchStepJob(keyboardOn_, true, now);
}
void Scheduler::StopKeyboard() {
    SwitchStepJob(keyboardOn_, false, {});
}

void Scheduler::SetFramePeriod(std::optional<Duration> period) {
    ticksPerFrame_ =
        period ? static_cast<int>(std::max<Duration::rep>(WholeUnits(*period, kEngineInterval), 1))
               : 0;
    // A window coming back on screen shows its first frame at the next tick.
    ticksSinceFrame_ = ticksPerFrame_;
}

void Scheduler::StartSpectrumTimer() {
    StartSpectrum(Present());
}
void Scheduler::StopSpectrumTimer() {
    StopSpectrum();
}
void Scheduler::StartLevelTimer() {
    StartLevel(Present());
}
void Scheduler::StartKeyboardTimer() {
    StartKeyboard(Present());
}
void Scheduler::StopKeyboardTimer() {
    StopKeyboard();
}

bool Scheduler::TakeSteps(CaptureTime now) {
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

void Scheduler::RunEngineTick(CaptureTime now) {
    nextEngine_ += kEngineInterval;
    if (nextEngine_ <= now) {
        // After a stall the beat starts afresh instead of catching up on every missed tick.
        gridOrigin_ = now;
        nextEngine_ = now + kEngineInterval;
        nextStep_ = OnGrid(nextStep_);
    }
    jobs_.engine();
}

void Scheduler::WakeUp(CaptureTime now) {
    const bool stepped = TakeSteps(now);
    const bool engineDue = engineOn_ && nextEngine_ <= now;
    if (spectrumOn_ && engineDue && newestStep_ && newestStep_ != spectrumStep_) {
        spectrumStep_ = newestStep_;
        jobs_.spectrum(*newestStep_);
    }
    if (engineDue) {
        RunEngineTick(now);
    }
    nextTimed_.reset();
    if (jobs_.timed && (engineOn_ || StepsRunning())) {
        nextTimed_ = jobs_.timed(now);
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

std::optional<CaptureTime> Scheduler::NextWakeUp() const {
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
    if (nextTimed_ && engineOn_) {
        consider(*nextTimed_);
    }
    return next;
}

void Scheduler::AskForWakeUp() const {
    if (wakeAt_) {
        wakeAt_(NextWakeUp());
    }
}

}  // namespace zeb
