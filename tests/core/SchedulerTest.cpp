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
         .frame = [this] { jobs.push_back("frame"); }},
        [this](std::optional<CaptureTime> next) { wake = next; }};
};

TEST_F(SchedulerTest, WithNothingShowingStepsItWakesForTheEngineAndTakesEachStepAsOfItsTime) {
    scheduler.StartEngine(start);
    scheduler.StartSpectrum(start);
    scheduler.StartLevel(start);
    EXPECT_THAT(WakeWhenAsked(),
                ElementsAre("level 10", "level 20", "level 30", "spectrum 30", "engine"));
    EXPECT_EQ(WokenAt(), 35);
    EXPECT_THAT(WakeWhenAsked(), ElementsAre("level 40", "level 50", "level 60", "level 70",
                                             "spectrum 70", "engine"));
    EXPECT_EQ(WokenAt(), 70);

    // A second-long stall: one step and one tick, as a late timer fires once, then the scheduler
    // starts afresh from there.
    scheduler.WakeUp(start + 1070ms);
    EXPECT_THAT(jobs, ElementsAre("level 40", "level 50", "level 60", "level 70", "spectrum 70",
                                  "engine", "level 1070", "spectrum 1070", "engine"));
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
        ElementsAre(WakeUp{10, {"level 10", "keyboard"}}, WakeUp{20, {"level 20", "keyboard"}},
                    WakeUp{30, {"level 30", "keyboard"}},
                    WakeUp{35, {"spectrum 30", "engine", "frame"}},
                    WakeUp{40, {"level 40", "keyboard"}}, WakeUp{50, {"level 50", "keyboard"}},
                    WakeUp{60, {"level 60", "keyboard"}},
                    WakeUp{70, {"level 70", "spectrum 70", "engine", "keyboard", "frame"}}));
}

}  // namespace
}  // namespace zeb
