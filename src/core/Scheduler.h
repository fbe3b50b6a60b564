#pragma once
// The program's periodic work on one clock, for the window and the headless service alike:
// the engine tick every 35 ms and the 10 ms steps of the input level's peak hold, the spectrum
// and the keyboard LEDs, and the window's frames.
//
// Each wake-up of the thread costs far more than the work it does, so the thread wakes only
// when something must happen then: an engine tick, or a step while the keyboard LEDs run (they
// are written at every step). Steps in between are taken at the next wake-up, each as of its
// own time (the capture keeps what had arrived when), so the peaks and the spectrum the engine
// reads are what ticking every step would have given it. The spectrum is computed only for the
// newest step, when the engine reads it. The window shows a frame with the engine ticks (each
// tick, unless the screen shows fewer pictures than that): lamps, meters and the spectrum the
// tick used. Steps and engine ticks lie on one 5 ms grid, so every second engine tick falls on
// a step and shares its wake-up. Work timed to moments of its own (a beat, a delayed frame)
// wakes the thread at those moments, off the grid.

#include <chrono>
#include <functional>
#include <optional>

#include "audio/CaptureBackend.h"
#include "core/ProgramTimers.h"

namespace zeb {

class Scheduler : public ProgramTimers {
  public:
    using Duration = std::chrono::steady_clock::duration;
    static constexpr Duration kStep = std::chrono::milliseconds(10);
    static constexpr Duration kEngineInterval = std::chrono::milliseconds(35);

    // What the beat runs. The jobs of one wake-up run in this order: every level step due (each
    // with its own time), the spectrum of the newest step, the engine tick, the keyboard LEDs,
    // the window's frame. So the engine sees the freshest peaks and spectrum, and the LEDs and
    // the window show the tick just made.
    struct Jobs {
        std::function<void(CaptureTime step)> level;
        std::function<void(CaptureTime step)> spectrum;
        std::function<void()> engine;
        std::function<void()> keyboard;
        std::function<void()> frame;
        // Work due at moments of its own (beat flashes, delayed lamp frames), run at every
        // wake-up after the engine tick; returns when it is next due (nullopt: not before the
        // next wake-up of the rest).
        std::function<std::optional<CaptureTime>(CaptureTime now)> timed;
    };
    // How the host's event loop is told when to call WakeUp next (nullopt: not at all).
    using WakeAt = std::function<void(std::optional<CaptureTime>)>;

    Scheduler(Jobs jobs, WakeAt wakeAt);

    // The engine ticks every 35 ms, the first tick one interval after the start.
    void StartEngine(CaptureTime now);
    // Nothing runs any more (the program is ending).
    void Stop();
    // Level, spectrum and keyboard LEDs each take the 10 ms steps once started.
    void StartLevel(CaptureTime now);
    void StartSpectrum(CaptureTime now);
    void StopSpectrum();
    void StartKeyboard(CaptureTime now);
    void StopKeyboard();
    // Frames of the window at engine ticks, no more often than every `period` (the screen's
    // own); nullopt: no frames, for example while the window is hidden.
    void SetFramePeriod(std::optional<Duration> period);

    // ProgramTimers, at the steady clock's present.
    void StartSpectrumTimer() override;
    void StopSpectrumTimer() override;
    void StartLevelTimer() override;
    void StartKeyboardTimer() override;
    void StopKeyboardTimer() override;

    // Runs everything due by `now`, then asks for the next wake-up.
    void WakeUp(CaptureTime now);
    std::optional<CaptureTime> NextWakeUp() const;

  private:
    // The first point of the grid at or after `time`.
    CaptureTime OnGrid(CaptureTime time);
    void StartSteps(CaptureTime now);
    // Switches one of the step jobs (level, spectrum, keyboard LEDs) on or off.
    void SwitchStepJob(bool& job, bool on, CaptureTime now);
    bool StepsRunning() const { return levelOn_ || spectrumOn_ || keyboardOn_; }
    // Takes the steps due by `now`; whether there were any.
    bool TakeSteps(CaptureTime now);
    void RunEngineTick(CaptureTime now);
    void AskForWakeUp() const;

    Jobs jobs_;
    WakeAt wakeAt_;
    std::optional<CaptureTime> gridOrigin_;
    bool engineOn_ = false;
    CaptureTime nextEngine_{};
    bool levelOn_ = false;
    bool spectrumOn_ = false;
    bool keyboardOn_ = false;
    CaptureTime nextStep_{};
    std::optional<CaptureTime> newestStep_;
    // The step whose spectrum the engine and the window read now.
    std::optional<CaptureTime> spectrumStep_;
    std::optional<CaptureTime> nextTimed_;
    int ticksPerFrame_ = 0;  // 0: no frames
    int ticksSinceFrame_ = 0;
};

}  // namespace zeb
