// The PulseAudio back end against a private PulseAudio daemon with a null sink: a tone played
// into the sink is captured from its monitor.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <regex>

#include "Eventually.h"
#include "PrivatePulseServer.h"
#include "RecordingSink.h"
#include "WavWriter.h"
#include "audio/CaptureControl.h"
#include "audio/CaptureErrors.h"
#include "audio/PulseBackend.h"

namespace zeb {
namespace {

using testing::Eventually;
using testing::PrivatePulseServer;

// The first percentage pactl reports for the monitor's volume.
int MonitorVolumePercent(const PrivatePulseServer& server) {
    const std::string text = server.Tool({"pactl", "get-source-volume", "zebtest.monitor"});
    std::smatch match;
    if (!std::regex_search(text, match, std::regex("(\\d+)%"))) {
        return -1;
    }
    return std::stoi(match[1]);
}

class PulseServerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(server.Ready()) << server.Log(); }

    int MonitorDevice(PulseBackend& backend) {
        for (int d = 0;; ++d) {
            const auto name = backend.RecordGetDeviceInfo(d);
            if (!name) {
                return -1;
            }
            if (name->find("Monitor") != std::string::npos) {
                return d;
            }
        }
    }

    PrivatePulseServer server;
};

TEST_F(PulseServerTest, CapturesAToneFromTheSpeakerMonitor) {
    const std::string tone = server.Folder() + "/tone.wav";
    ASSERT_TRUE(testing::WriteWav(tone, testing::Tone(1000.0, 0.5f, 20.0, 44100), 44100, 1));

    PulseBackend backend(server.Address());
    const int monitor = MonitorDevice(backend);
    ASSERT_GE(monitor, 0);
    ASSERT_TRUE(backend.RecordInit(monitor));
    const CaptureHandle handle = backend.RecordStart(44100, 1, 0);
    ASSERT_NE(handle, 0u) << backend.ErrorGetCode();

    auto player = server.StartTool({"paplay", "--device=zebtest", tone});
    uint32_t level = 0;
    ASSERT_TRUE(Eventually([&] {
        level = backend.ChannelGetLevel(handle);
        return level != kLevelFailed && (level & 0xFFFF) > 8000;
    })) << std::hex
        << level;
    // Half of full scale, through the server's 16-bit sink.
    EXPECT_NEAR(static_cast<double>(level & 0xFFFF), 16384.0, 1000.0);
    EXPECT_EQ(level >> 16, level & 0xFFFF);

    std::array<float, 1025> fft{};
    fft[1024] = 7.0f;
    // Once 2048 samples of tone are in, 1 kHz peaks in bin 46 or 47.
    size_t peak = 0;
    EXPECT_TRUE(Eventually([&] {
        if (!backend.ChannelGetData(handle, fft.data(), kFftFlags2048)) {
            return false;
        }
        peak = static_cast<size_t>(std::max_element(fft.begin(), fft.begin() + 1024) - fft.begin());
        return (peak == 46 || peak == 47) && fft[peak] > 0.2f;
    })) << "peak bin "
        << peak << " reads " << fft[peak];
    EXPECT_EQ(fft[1024], 7.0f);

    EXPECT_TRUE(backend.RecordFree());
    EXPECT_EQ(backend.ChannelGetLevel(handle), kLevelFailed);
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kHandle);
}

TEST_F(PulseServerTest, StartUpListsTheMonitorAndTheSliderSetsTheSourceVolume) {
    PulseBackend backend(server.Address());
    CaptureState state;
    testing::RecordingSink sink;
    ASSERT_EQ(StartAudio(backend, state, std::nullopt, sink), AudioOutcome::Running)
        << (sink.shown.empty() ? "" : sink.shown[0].text);
    EXPECT_THAT(state.devices.Entries(), ::testing::Contains(::testing::HasSubstr("Monitor")));
    EXPECT_EQ(state.CurrentInput, -1);  // a monitor has no ports
    EXPECT_NE(state.RecordHandle, 0u);

    levelin(backend, state, RangedValue(0, 254, 127));
    EXPECT_EQ(MonitorVolumePercent(server), 50);
    const std::optional<float> volume = CurrentInputVolume(backend, state);
    ASSERT_TRUE(volume.has_value());
    EXPECT_NEAR(*volume, 0.5f, 0.001f);

    levelin(backend, state, RangedValue(0, 254, 254));
    EXPECT_EQ(MonitorVolumePercent(server), 100);
}

TEST_F(PulseServerTest, RefusesWhatDoesNotExistWithItsCode) {
    PulseBackend backend(server.Address());
    EXPECT_EQ(backend.RecordStart(44100, 1, 0), 0u);
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kInit);
    EXPECT_FALSE(backend.RecordGetDeviceInfo(50).has_value());
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kDevice);
    EXPECT_FALSE(backend.RecordInit(50));
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kDevice);

    ASSERT_TRUE(backend.RecordInit(kDefaultDevice));
    EXPECT_FALSE(backend.RecordInit(kDefaultDevice));
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kAlready);
    EXPECT_FALSE(backend.RecordGetInputName(0).has_value());
    EXPECT_FALSE(backend.RecordSetInput(0, kInputOn, kVolumeUnchanged));
    EXPECT_FALSE(backend.RecordSetInput(kMasterInput, kInputUnchanged, 1.5f));
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kIllegalParam);
    EXPECT_EQ(backend.RecordStart(44100, 2, 0), 0u);
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kFormat);

    // A second start replaces the first capture; the old handle stops working.
    const CaptureHandle first = backend.RecordStart(44100, 1, 0);
    const CaptureHandle second = backend.RecordStart(44100, 1, 0);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(backend.ChannelGetLevel(first), kLevelFailed);
    EXPECT_NE(backend.ChannelGetLevel(second), kLevelFailed);
    std::array<float, 1025> fft{};
    EXPECT_FALSE(backend.ChannelGetData(second, fft.data(), 0));
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kIllegalParam);
}

TEST_F(PulseServerTest, AServerThatGoesAwayMakesCallsFailInsteadOfHanging) {
    PulseBackend backend(server.Address(), std::chrono::milliseconds(500));
    ASSERT_TRUE(backend.RecordInit(kDefaultDevice));
    server.Stop();
    float volume = 0.0f;
    EXPECT_TRUE(
        Eventually([&] { return backend.RecordGetInput(kMasterInput, &volume) == 0xFFFFFFFF; }));
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kDriver);
    EXPECT_EQ(backend.RecordStart(44100, 1, 0), 0u);
}

TEST_F(PulseServerTest, ACaptureWhoseServerGoesAwayEndsInsteadOfRepeatingOldSamples) {
    PulseBackend backend(server.Address(), std::chrono::milliseconds(500));
    ASSERT_TRUE(backend.RecordInit(kDefaultDevice));
    const CaptureHandle handle = backend.RecordStart(44100, 1, 0);
    ASSERT_NE(handle, 0u) << backend.ErrorGetCode();
    ASSERT_NE(backend.ChannelGetLevel(handle), kLevelFailed);

    server.Stop();

    // No sound can arrive any more: the level fails, so the held peaks decay to silence.
    EXPECT_TRUE(Eventually([&] { return backend.ChannelGetLevel(handle) == kLevelFailed; }));
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kBusy);
    std::array<float, 1025> fft{};
    fft[3] = 7.0f;
    EXPECT_FALSE(backend.ChannelGetData(handle, fft.data(), kFftFlags2048));
    EXPECT_EQ(fft[3], 7.0f);
}

TEST(PulseWithoutServer, InitFailsWithTheDriverCodeAndStartUpReportsIt) {
    PulseBackend backend("unix:/nonexistent/zeb/native");
    EXPECT_FALSE(backend.RecordInit(kDefaultDevice));
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kDriver);
    EXPECT_FALSE(backend.RecordGetDeviceInfo(0).has_value());

    CaptureState state;
    testing::RecordingSink sink;
    EXPECT_EQ(StartAudio(backend, state, std::nullopt, sink), AudioOutcome::EndProgram);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "Can't initialize device\r\n\r\nerror code: 3");
}

TEST(PulseWithoutServer, VersionPassesForTheLibraryWeBuiltAgainst) {
    PulseBackend backend;
    EXPECT_EQ(backend.GetVersion() >> 16, 0x0204u);
}

}  // namespace
}  // namespace zeb
