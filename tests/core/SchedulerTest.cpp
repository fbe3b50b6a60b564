// The program's scheduler: which jobs a wake-up runs, in which order, and for which moments.

#include "core/Scheduler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zeb {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

class SchedulerTest : public ::testing::Test {
  protected:
    // "level 20": a peak-hold step for the moment 20 ms after the start.
    std::string Job(const char* name, CaptureTime step) const {
        return std::string(name) + " " + std::to_string((step - start) / 1ms);
    }
    // Wakes the scheduler at the moment it asked for; the jobs that wake-up ran.
    std::vector<std::string> WakeWhenAsked() {
        jobs.clear();
        woken = *wake;
        scheduler.WakeUp(*wake);
        return jobs;
    }
    long long WokenAt() const { return (woken - start) / 1ms; }

    const CaptureTime start = CaptureTime{} + 1h;
    std::vector<std::string> jobs;
    std::optional<CaptureTime> wake;
    CaptureTime woken{};
    Scheduler scheduler{
        {.level = [this](CaptureTime step) { jobs.push_back(Job("level", step)); },
         .spectrum = [this](CaptureTime step) { jobs.push_back(Job("spectrum", step)); },
         .engine = [this] { jobs.push_back("engine"); },
         .keyboard = [this] { jobs.push_back("keyboard"); },
         .frame = [this] { jobs.push_back("frame"); },
         .timed =
             [this](CaptureTime now) {
                 jobs.push_back(Job("timed", now));
                 return timedNext;
             }},
        [this](std::optional<CaptureTime> next) { wake = next; }};
    // When the timed job (beat flashes, delayed frames) asks to run next.
    std::optional<CaptureTime> timedNext;
};

TEST_F(SchedulerTest, WithNothingShowingStepsItWakesForTheEngineAndTakesEachStepAsOfItsTime) {
    scheduler.StartEngine(start);
    scheduler.StartSpectrum(start);
    scheduler.StartLevel(start);
    EXPECT_THAT(WakeWhenAsked(), ElementsAre("level 10", "level 20", "level 30", "spectrum 30",
                                             "engine", "timed 35"));
    EXPECT_EQ(WokenAt(), 35);
    EXPECT_THAT(WakeWhenAsked(), ElementsAre("level 40", "level 50", "level 60", "level 70",
                                             "spectrum 70", "engine", "timed 70"));
    EXPECT_EQ(WokenAt(), 70);

    // A second-long stall: one step and one tick, as a late timer fires once, then the scheduler
    // starts afresh from there.
    scheduler.WakeUp(start + 1070ms);
    EXPECT_THAT(jobs,
                ElementsAre("level 40", "level 50", "level 60", "level 70", "spectrum 70", "engine",
                            "timed 70", "level 1070", "spectrum 1070", "engine", "timed 1070"));
    EXPECT_EQ(*wake, start + 1105ms);
}

TEST_F(SchedulerTest, OneWakeUpRunsLevelSpectrumEngineLedsAndFrameInThatOrder) {
    scheduler.StartEngine(start);
    scheduler.StartSpectrum(start);
    scheduler.StartLevel(start);
    scheduler.StartKeyboard(start);     // written at every step
    scheduler.SetFramePeriod(16667us);  // a 60 Hz screen: a frame with every engine tick
    using WakeUp = std::pair<long long, std::vector<std::string>>;
    std::vector<WakeUp> wakeUps;
    while (wakeUps.size() < 8) {
        const auto ran = WakeWhenAsked();
        wakeUps.emplace_back(WokenAt(), ran);
    }
    EXPECT_THAT(
        wakeUps,
        ElementsAre(
            WakeUp{10, {"level 10", "timed 10", "keyboard"}},
            WakeUp{20, {"level 20", "timed 20", "keyboard"}},
            WakeUp{30, {"level 30", "timed 30", "keyboard"}},
            WakeUp{35, {"spectrum 30", "engine", "timed 35", "frame"}},
            WakeUp{40, {"level 40", "timed 40", "keyboard"}},
            WakeUp{50, {"level 50", "timed 50", "keyboard"}},
            WakeUp{60, {"level 60", "timed 60", "keyboard"}},
            WakeUp{70, {"level 70", "spectrum 70", "engine", "timed 70", "keyboard", "frame"}}));
}

TEST_F(SchedulerTest, TimedWorkWakesTheThreadAtItsOwnMomentOffTheGrid) {
    scheduler.StartEngine(start);
    timedNext = start + 12ms;  // a beat between two engine ticks
    scheduler.WakeUp(start);
    EXPECT_EQ(*wake, start + 12ms);
    timedNext.reset();
    EXPECT_THAT(WakeWhenAsked(), ElementsAre("timed 12"));
    EXPECT_EQ(*wake, start + 35ms);
    scheduler.Stop();
    EXPECT_FALSE(wake.has_value());
}

}  // namespace
}  // namespace zeb
