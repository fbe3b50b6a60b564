// Start-up against a private sound server: only an input volume stored in set.ini changes the
// source's volume, which every other program on the desktop shares.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <regex>
#include <string>

#include "app/Program.h"
#include "audio/PrivatePulseServer.h"
#include "audio/PulseBackend.h"
#include "audio/RecordingSink.h"
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

// The source's volume after a start-up and an activation with `settings` as set.ini.
int VolumeAfterStart(const testing::PrivatePulseServer& server, const std::string& settings) {
    testing::TempDir folder;
    testing::WriteBytes(folder.File("set.ini"), settings);
    server.Tool({"pactl", "set-source-volume", "zebtest.monitor", "80%"});

    ProgramModel model;
    PulseBackend capture(server.Address());
    OutputDevices devices =
        MakeOutputDevices(folder.File("lamps"), std::chrono::steady_clock::now());
    testing::RecordingSink messages;
    NoTimers timers;
    Program program(model, capture, devices, messages, timers, folder.Path() / "set.ini");
    EXPECT_EQ(program.StartUp(), Program::Outcome::Running);
    program.Activate();
    const int percent = SourceVolumePercent(server);
    program.Unload();
    return percent;
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
}

}  // namespace
}  // namespace zeb
