// The assembly's seams: a front end's settings policy, message sink and loop reach the
// program it builds, on a looping sound file and simulated lamps.

#include "core/Assembly.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "audio/WavWriter.h"
#include "support/TempDir.h"

namespace zeb {
namespace {

class ShownMessages : public MessageSink {
  public:
    std::vector<std::string> shown;
    void ShowMessage(const std::string& text, const std::string&, MessageIcon,
                     const std::string&) override {
        shown.push_back(text);
    }
    void LogEvent(const std::string&) override {}
};

class AssemblyTest : public ::testing::Test {
  protected:
    AssemblyTest() {
        line.config = folder.Path() / "set.ini";
        const std::string sound = folder.File("tone.wav");
        EXPECT_TRUE(testing::WriteWav(sound, testing::Tone(440.0, 0.5f, 0.5, 44100), 44100, 1));
        ::setenv("ZEB_AUDIO_FILE", sound.c_str(), 1);
        std::filesystem::create_directory(folder.Path() / "lamps");
        ::setenv("ZEB_SIMULATE", folder.File("lamps").c_str(), 1);
    }
    ~AssemblyTest() override {
        ::unsetenv("ZEB_AUDIO_FILE");
        ::unsetenv("ZEB_SIMULATE");
    }

    AssemblyOptions Options(Program::UnreadableSettings unreadable) {
        return {.programStart = std::chrono::steady_clock::now(),
                .line = line,
                .unreadableSettings = unreadable,
                .shownMessages = &messages,
                .lockStates = {},
                .armTimer = [this](std::optional<CaptureTime> next) { wakeAt = next; },
                .afterEngineTick = [this] { ++engineTicks; },
                .frame = {},
                .endLoop = [this](int status) { endStatus = status; }};
    }

    testing::TempDir folder;
    CommandLine line;
    ShownMessages messages;
    std::optional<CaptureTime> wakeAt;
    int engineTicks = 0;
    std::optional<int> endStatus;
};

TEST_F(AssemblyTest, TheFrontEndsSettingsPolicyDecidesOnAnUnreadableFile) {
    std::filesystem::create_directory(*line.config);  // there, but no file
    Assembly service(Options(Program::UnreadableSettings::EndProgram));
    EXPECT_EQ(service.StartUp(), Program::Outcome::EndProgram);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_THAT(messages.shown[0], ::testing::StartsWith("The settings could not be read"));
    EXPECT_TRUE(service.Core().Ended());

    messages.shown.clear();
    Assembly window(Options(Program::UnreadableSettings::StartFresh));
    EXPECT_EQ(window.StartUp(), Program::Outcome::Running);
    EXPECT_TRUE(messages.shown.empty());
    window.Core().Unload();
}

TEST_F(AssemblyTest, TheLoopRunsTheJobsAndSaveAndExitLeavesIt) {
    Assembly parts(Options(Program::UnreadableSettings::StartFresh));
    ASSERT_EQ(parts.StartUp(), Program::Outcome::Running);
    // The loop's part: wake the scheduler whenever it asked to be woken.
    for (int wakeUps = 0; engineTicks < 2 && wakeUps < 1000 && wakeAt; ++wakeUps) {
        std::this_thread::sleep_until(*wakeAt);
        parts.PeriodicJobs().WakeUp(std::chrono::steady_clock::now());
    }
    EXPECT_GE(engineTicks, 2);

    parts.Actions().SaveAndExit();
    EXPECT_EQ(endStatus, 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(*line.config));
    EXPECT_TRUE(parts.Core().Ended());
}

}  // namespace
}  // namespace zeb
