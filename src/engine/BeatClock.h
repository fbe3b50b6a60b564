#pragma once
// The beat the beat channels flash on: the tempo and phase of the beats the tracker heard,
// or of the user's taps, and the flashes they give. Runs on the program's thread; the flashes
// are timed to the predicted beats, not to the engine ticks.

#include <chrono>
#include <deque>
#include <optional>

#include "engine/BeatReport.h"

namespace zeb {

class BeatClock {
  public:
    using Time = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    // Flash on every `every`-th beat (1, 2 or 4) for `flashMs` ms; 0 ms: a quarter of the beat
    // period, at most 150 ms.
    void Configure(int every, int flashMs);
    // A beat the tracker heard.
    void Heard(const BeatReport& report);
    // A tap on the readout. Four taps, each within two seconds of the one before, set the
    // tempo and phase until the music's tempo differs from it for eight beats.
    void Tap(Time now);
    // Forgets every beat and tap (the tracking stopped).
    void Reset();

    // Takes the beats due by `now`; true when the flash came on or went off.
    bool Advance(Time now);
    bool FlashLit() const { return flashUntil_.has_value(); }
    // When the next flash comes on or goes off; nullopt while there is no steady beat.
    std::optional<Time> NextChange(Time now) const;
    // The tempo in beats a minute while the beat is steady (heard or tapped); nullopt otherwise.
    std::optional<double> Bpm(Time now) const;
    bool Tapped() const { return tapped_.has_value(); }

  private:
    struct Grid {
        Time anchor;  // a beat
        Duration period;
    };
    // The grid the flashes follow now: the tapped one, else the heard one while it is steady.
    std::optional<Grid> Active(Time now) const;
    std::optional<Grid> HeardGrid(Time now) const;
    // The first beat of `grid` after the one last counted, not before `from`.
    Time NextBeat(const Grid& grid, Time from) const;
    Duration FlashLength(const Grid& grid) const;
    // The grid through the beats heard, when they keep a steady tempo.
    void Fit();

    int every_ = 1;
    int flashMs_ = 0;
    // The newest beats heard, oldest first, each with its number (a beat the tracker missed
    // between two leaves its number out), and the grid fitted through them.
    struct Numbered {
        long number;
        Time time;
    };
    std::deque<Numbered> beats_;
    std::optional<Grid> fitted_;
    std::optional<Grid> tapped_;
    std::deque<Time> taps_;
    int differingBeats_ = 0;
    std::optional<Time> lastCounted_;
    long counted_ = 0;
    std::optional<Time> flashUntil_;
};

}  // namespace zeb
