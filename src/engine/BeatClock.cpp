#include "engine/BeatClock.h"

#include <algorithm>
#include <cmath>

namespace zeb {

namespace {

using Seconds = std::chrono::duration<double>;

constexpr size_t kBeatsFitted = 16;
constexpr size_t kBeatsForSteady = 4;
// The tracker may miss a beat or two between those it reports.
constexpr double kMostBeatsMissed = 3;
// Beats apart by more than this share of the fitted period belong to another tempo.
constexpr double kIntervalTolerance = 0.1;
constexpr size_t kTapsForTempo = 4;
constexpr auto kTapGap = std::chrono::seconds(2);
constexpr int kDifferingBeatsToLeaveTaps = 8;
constexpr double kSameTempoBpm = 2.0;
constexpr auto kLongestDefaultFlash = std::chrono::milliseconds(150);
// A beat found this much late (a wake-up that came late) still flashes; an older one does not.
constexpr auto kLateFlash = std::chrono::milliseconds(15);
// Beats between 40 and 300 a minute.
constexpr double kShortestPeriod = 0.2;
constexpr double kLongestPeriod = 1.5;

double SecondsOf(BeatClock::Duration span) {
    return std::chrono::duration_cast<Seconds>(span).count();
}
BeatClock::Duration DurationOf(double seconds) {
    return std::chrono::duration_cast<BeatClock::Duration>(Seconds(seconds));
}

double BpmOf(BeatClock::Duration period) {
    return 60.0 / SecondsOf(period);
}

}  // namespace

void BeatClock::Configure(int every, int flashMs) {
    every_ = std::max(every, 1);
    flashMs_ = std::max(flashMs, 0);
}

void BeatClock::Heard(const BeatReport& report) {
    if (!beats_.empty() && report.beat <= beats_.back().time) {
        return;
    }
    long number = 0;
    if (!beats_.empty()) {
        const Numbered& last = beats_.back();
        const double interval = SecondsOf(report.beat - last.time);
        double period = interval;
        if (fitted_) {
            period = SecondsOf(fitted_->period);
        } else if (beats_.size() >= 2) {
            period = SecondsOf(last.time - beats_.front().time) /
                     static_cast<double>(last.number - beats_.front().number);
        }
        const double beats = std::max(std::round(interval / period), 1.0);
        if (beats > kMostBeatsMissed ||
            std::abs(interval / beats - period) > kIntervalTolerance * period) {
            // Off the beat so far: the music changed its tempo. The fit starts again from the
            // last beat.
            beats_.erase(beats_.begin(), beats_.end() - 1);
            number = last.number + 1;
        } else {
            number = last.number + static_cast<long>(beats);
        }
    }
    beats_.push_back({number, report.beat});
    while (beats_.size() > kBeatsFitted) {
        beats_.pop_front();
    }
    Fit();
    if (tapped_ && fitted_) {
        const bool differs =
            std::abs(BpmOf(fitted_->period) - BpmOf(tapped_->period)) > kSameTempoBpm;
        differingBeats_ = differs ? differingBeats_ + 1 : 0;
        if (differingBeats_ >= kDifferingBeatsToLeaveTaps) {
            tapped_.reset();
        }
    }
}

void BeatClock::Fit() {
    fitted_.reset();
    if (beats_.size() < kBeatsForSteady) {
        return;
    }
    // Least squares through (number, time) of the beats: the slope is the period, and the
    // line's value at the newest beat its phase, both steadier than any one interval.
    const auto n = static_cast<double>(beats_.size());
    const Numbered& first = beats_.front();
    double sumX = 0, sumY = 0, sumXX = 0, sumXY = 0;
    for (const Numbered& beat : beats_) {
        const auto x = static_cast<double>(beat.number - first.number);
        const double y = SecondsOf(beat.time - first.time);
        sumX += x;
        sumY += y;
        sumXX += x * x;
        sumXY += x * y;
    }
    const double slope = (n * sumXY - sumX * sumY) / (n * sumXX - sumX * sumX);
    const double intercept = (sumY - slope * sumX) / n;
    if (!(slope >= kShortestPeriod && slope <= kLongestPeriod)) {
        return;
    }
    for (const Numbered& beat : beats_) {
        const double fitted = intercept + slope * static_cast<double>(beat.number - first.number);
        if (std::abs(SecondsOf(beat.time - first.time) - fitted) > kIntervalTolerance * slope) {
            return;
        }
    }
    const double newest = static_cast<double>(beats_.back().number - first.number);
    fitted_ = Grid{first.time + DurationOf(intercept + slope * newest), DurationOf(slope)};
}

void BeatClock::Tap(Time now) {
    if (!taps_.empty() && now - taps_.back() > kTapGap) {
        taps_.clear();
    }
    taps_.push_back(now);
    while (taps_.size() > kTapsForTempo) {
        taps_.pop_front();
    }
    if (taps_.size() == kTapsForTempo) {
        const Duration period = (taps_.back() - taps_.front()) / (kTapsForTempo - 1);
        const double seconds = SecondsOf(period);
        if (seconds >= kShortestPeriod && seconds <= kLongestPeriod) {
            tapped_ = Grid{taps_.back(), period};
            differingBeats_ = 0;
            // The tap itself is a beat, flashed by the user's own hand: the count goes on from it.
            lastCounted_ = taps_.back();
            counted_ = 1;
        }
    }
}

void BeatClock::Reset() {
    beats_.clear();
    fitted_.reset();
    tapped_.reset();
    taps_.clear();
    differingBeats_ = 0;
    lastCounted_.reset();
    counted_ = 0;
    flashUntil_.reset();
}

std::optional<BeatClock::Grid> BeatClock::HeardGrid(Time now) const {
    if (!fitted_) {
        return std::nullopt;
    }
    // Without beats for more than four and a half periods (the tracker misses one now and
    // then; silence, a break) the beat has gone.
    if (now - beats_.back().time > fitted_->period * 9 / 2) {
        return std::nullopt;
    }
    return fitted_;
}

std::optional<BeatClock::Grid> BeatClock::Active(Time now) const {
    return tapped_ ? tapped_ : HeardGrid(now);
}

BeatClock::Time BeatClock::NextBeat(const Grid& grid, Time from) const {
    Time after = from;
    if (lastCounted_) {
        // Half a period after the beat last counted: a new fit that moved the same beat a
        // little does not count it twice.
        after = std::max(after, *lastCounted_ + grid.period / 2);
    }
    const auto periods = std::ceil(SecondsOf(after - grid.anchor) / SecondsOf(grid.period));
    return grid.anchor + DurationOf(periods * SecondsOf(grid.period));
}

BeatClock::Duration BeatClock::FlashLength(const Grid& grid) const {
    if (flashMs_ > 0) {
        return std::chrono::milliseconds(flashMs_);
    }
    return std::min<Duration>(grid.period / 4, kLongestDefaultFlash);
}

bool BeatClock::Advance(Time now) {
    bool changed = false;
    if (flashUntil_ && now >= *flashUntil_) {
        flashUntil_.reset();
        changed = true;
    }
    const std::optional<Grid> grid = Active(now);
    if (!grid) {
        return changed;
    }
    const Time beat = NextBeat(*grid, now - kLateFlash);
    if (beat > now) {
        return changed;
    }
    lastCounted_ = beat;
    if (counted_++ % every_ == 0) {
        const Time until = beat + FlashLength(*grid);
        if (until > now) {
            flashUntil_ = until;
            changed = true;
        }
    }
    return changed;
}

std::optional<BeatClock::Time> BeatClock::NextChange(Time now) const {
    std::optional<Time> next = flashUntil_;
    if (const std::optional<Grid> grid = Active(now)) {
        const Time beat = NextBeat(*grid, now - kLateFlash);
        if (!next || beat < *next) {
            next = beat;
        }
    }
    return next;
}

std::optional<double> BeatClock::Bpm(Time now) const {
    if (const std::optional<Grid> grid = Active(now)) {
        return BpmOf(grid->period);
    }
    return std::nullopt;
}

}  // namespace zeb
