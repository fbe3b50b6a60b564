// Start-up against a private sound server: only an input volume stored in set.ini or set by
// the user changes the source's volume, which every other program on the desktop shares, and
// a source that comes back gets the slider's volume again.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <regex>
#include <string>

#include "audio/Eventually.h"
#include "audio/PrivatePulseServer.h"
#include "audio/PulseBackend.h"
#include "audio/RecordingSink.h"
#include "core/Program.h"
#include "output/DeviceFactory.h"
#include "support/TempDir.h"

namespace zeb {
namespace {

class NoTimers : public ProgramTimers {
  public:
    void StartSpectrumTimer() override {}
    void StopSpectrumTimer() override {}
    void StartLevelTimer() override {}
    void StartKeyboardTimer() override {}
    void StopKeyboardTimer() override {}
};

// The first percentage pactl reports for the recording source.
int SourceVolumePercent(const testing::PrivatePulseServer& server) {
    const std::string text = server.Tool({"pactl", "get-source-volume", "zebtest.monitor"});
    std::smatch match;
    return std::regex_search(text, match, std::regex("(\\d+)%")) ? std::stoi(match[1]) : -1;
}

// The program with `settings` as set.ini, against the private server, not started yet.
struct ProgramOnServer {
    ProgramOnServer(const testing::PrivatePulseServer& server, const std::string& settings)
        : capture(server.Address()) {
        testing::WriteBytes(folder.File("set.ini"), settings);
    }

    testing::TempDir folder;
    ProgramModel model;
    PulseBackend capture;
    OutputDevices devices =
        MakeOutputDevices(folder.File("lamps"), std::chrono::steady_clock::now());
    testing::RecordingSink messages;
    NoTimers timers;
    Program program{model, capture, devices, messages, timers, folder.Path() / "set.ini"};
};

// The source's volume after a start-up and an activation with `settings` as set.ini, the
// source at `percent` before.
int VolumeAfterStart(const testing::PrivatePulseServer& server, const std::string& settings,
                     const std::string& percent = "80%") {
    server.Tool({"pactl", "set-source-volume", "zebtest.monitor", percent});
    ProgramOnServer zeb(server, settings);
    EXPECT_EQ(zeb.program.StartUp(), Program::Outcome::Running);
    zeb.program.Activate();
    const int after = SourceVolumePercent(server);
    zeb.program.Unload();
    return after;
}

TEST(StartVolume, OnlyAStoredInputVolumeChangesTheSourceVolume) {
    const testing::PrivatePulseServer server;
    ASSERT_TRUE(server.Ready()) << server.Log();

    // The source keeps its own volume (up to the slider's step of 1/254).
    EXPECT_NEAR(VolumeAfterStart(server, ""), 80, 1) << "an empty file";
    EXPECT_NEAR(VolumeAfterStart(server, "[Value]\r\nSld2 =9\r\nsLevel=x\r\n"), 80, 1)
        << "a file without a valid input volume";
    EXPECT_NEAR(VolumeAfterStart(server, "[Value]\r\nsLevel=127\r\n"), 50, 1)
        << "a stored input volume";
    // The slider stops at 100 %: a boosted source is not cut down to what it shows.
    EXPECT_EQ(VolumeAfterStart(server, "", "150%"), 150) << "a boosted source";
}

TEST(StartVolume, TheSliderMovedByTheUserSetsABoostedSourcesVolume) {
    const testing::PrivatePulseServer server;
    ASSERT_TRUE(server.Ready()) << server.Log();
    server.Tool({"pactl", "set-source-volume", "zebtest.monitor", "150%"});
    ProgramOnServer zeb(server, "");
    ASSERT_EQ(zeb.program.StartUp(), Program::Outcome::Running);
    EXPECT_EQ(zeb.model.sLevel.Value(), 254);

    zeb.model.sLevel.Set(127);
    zeb.program.InputLevelMoved();
    EXPECT_NEAR(SourceVolumePercent(server), 50, 1);
    server.Tool({"pactl", "set-source-volume", "zebtest.monitor", "150%"});
    zeb.program.Activate();  // from now on the slider's volume, as with a stored one
    EXPECT_NEAR(SourceVolumePercent(server), 50, 1);
    zeb.program.Unload();
}

TEST(StartVolume, ARestartedServersSourceGetsTheSlidersVolumeAgain) {
    testing::PrivatePulseServer server;
    ASSERT_TRUE(server.Ready()) << server.Log();
    ProgramOnServer zeb(server, "[Value]\r\nsLevel=127\r\n");
    ASSERT_EQ(zeb.program.StartUp(), Program::Outcome::Running);
    ASSERT_NEAR(SourceVolumePercent(server), 50, 1);
    // Only the capture watch runs, as while the window stays in the notification area or in
    // the headless program: no activation puts the volume back.
    const auto watchUntil = [&](auto condition) {
        return testing::Eventually(
            [&] {
                zeb.program.CaptureWatchTick();
                return condition();
            },
            10);
    };

    server.Stop();
    ASSERT_TRUE(watchUntil([&] { return zeb.model.capture.lost; }));
    ASSERT_TRUE(server.Start()) << server.Log();
    // Whatever volume the server gives the source that came back.
    server.Tool({"pactl", "set-source-volume", "zebtest.monitor", "80%"});
    ASSERT_TRUE(watchUntil([&] { return !zeb.model.capture.lost; }));
    EXPECT_NEAR(SourceVolumePercent(server), 50, 1);
    zeb.program.Unload();
}

}  // namespace
}  // namespace zeb
