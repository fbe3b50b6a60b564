// Which source the capture listens to on a real (private) sound server, and how it comes back
// on its own when the source or the whole server goes away and returns: only the watch that the
// program runs every half second is called, never a device selection.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>

#include "Eventually.h"
#include "PrivatePulseServer.h"
#include "RecordingSink.h"
#include "WavWriter.h"
#include "audio/CaptureControl.h"
#include "audio/CaptureWatch.h"
#include "audio/PulseBackend.h"

namespace zeb {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::EndsWith;
using ::testing::Not;
using testing::PrivatePulseServer;
using ::testing::StartsWith;

class SourceFollowing : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.Ready()) << server.Log();
        ASSERT_TRUE(testing::WriteWav(tone, testing::Tone(1000.0, 0.5f, 30.0, 44100), 44100, 1));
    }

    // Start-up as the program runs it, with what set.ini remembered.
    void Start(const std::string& storedSource = "", std::optional<int16_t> storedIndex = {}) {
        backend = std::make_unique<PulseBackend>(server.Address());
        state = CaptureState();
        state.source = storedSource;
        sink.shown.clear();
        ASSERT_EQ(StartAudio(*backend, state, storedIndex, sink), AudioOutcome::Running)
            << "stored \"" << storedSource << "\": " << ShownText() << "\n"
            << server.Log();
    }
    // The messages a failed start showed, with their details.
    std::string ShownText() const {
        std::string text;
        for (const auto& shown : sink.shown) {
            text += shown.text + " (" + shown.detail + ") ";
        }
        return text;
    }
    std::string Selected() const {
        const int index = state.devices.Index();
        return index < 0 ? "" : state.deviceKeys[static_cast<size_t>(index)];
    }
    // The module's number, to unload it again.
    std::string LoadSink(const std::string& name) { return server.LoadNullSink(name); }
    void PlayInto(const std::string& sink) {
        player = server.StartTool({"paplay", "--latency-msec=50", "--device=" + sink, tone});
    }
    bool Hears() {
        const uint32_t level = backend->ChannelGetLevel(state.RecordHandle);
        return level != kLevelFailed && (level & 0xFFFF) > 8000;
    }
    // Runs the program's watch, at its interval, until `condition` holds; false after `seconds`.
    template <typename Condition>
    bool WatchUntil(Condition condition, int seconds = 10) {
        auto nextWatch = std::chrono::steady_clock::now();
        return testing::Eventually(
            [&] {
                if (std::chrono::steady_clock::now() >= nextWatch) {
                    WatchCapture(*backend, state, sink);
                    nextWatch += kCaptureWatchInterval;
                }
                return condition();
            },
            seconds);
    }

    PrivatePulseServer server;
    const std::string tone = server.Folder() + "/tone.wav";
    std::unique_ptr<PulseBackend> backend;
    CaptureState state;
    testing::RecordingSink sink;
    std::unique_ptr<testing::ChildProcess> player;
};

TEST_F(SourceFollowing, StartUpTakesTheDefaultOutputsMonitorUnlessARememberedNameIsListed) {
    const std::string second = LoadSink("second");
    LoadSink("third");
    server.Tool({"pactl", "set-default-sink", "zebtest"});

    // Nothing stored, or a stored position that no longer exists: the default output's
    // monitor, although others are listed after it.
    Start();
    EXPECT_EQ(Selected(), "zebtest.monitor");
    EXPECT_NE(state.RecordHandle, 0u);
    EXPECT_EQ(state.source, "zebtest.monitor");
    Start("", int16_t{7});
    EXPECT_EQ(Selected(), "zebtest.monitor");
    // A file from before names were stored keeps its position.
    Start("", int16_t{1});
    EXPECT_EQ(Selected(), "second.monitor");

    // "second" unplugged and plugged in again is listed after "third" now: its name finds it,
    // its old position would take "third".
    server.Tool({"pactl", "unload-module", second});
    LoadSink("second");
    Start("second.monitor", int16_t{1});
    EXPECT_EQ(state.devices.Index(), 2);
    EXPECT_EQ(Selected(), "second.monitor");
    // A remembered source that is gone: the default output's monitor again.
    server.Tool({"pactl", "set-default-sink", "third"});
    Start("usb-headset.monitor", int16_t{0});
    EXPECT_EQ(Selected(), "third.monitor");
}

TEST_F(SourceFollowing, ASourceUnpluggedAndPluggedInAgainIsListenedToAgain) {
    const std::string module = LoadSink("second");
    Start("second.monitor");
    PlayInto("second");
    ASSERT_TRUE(WatchUntil([&] { return Hears(); }));

    server.Tool({"pactl", "unload-module", module});
    ASSERT_TRUE(WatchUntil([&] { return state.lost; }));
    EXPECT_FALSE(Hears());  // the lamps rest
    EXPECT_THAT(state.deviceKeys, Not(Contains("second.monitor")));
    EXPECT_EQ(state.devices.Index(), -1);
    EXPECT_THAT(sink.events, Contains("capture lost: second.monitor (source removed)"));
    EXPECT_THAT(sink.events, Contains(AllOf(StartsWith("device removed: Monitor of "),
                                            EndsWith(" (second.monitor)"))));

    LoadSink("second");
    ASSERT_TRUE(WatchUntil([&] { return !state.lost; }));
    EXPECT_EQ(Selected(), "second.monitor");
    EXPECT_THAT(sink.events, Contains("capture reopened: second.monitor"));
    PlayInto("second");
    EXPECT_TRUE(WatchUntil([&] { return Hears(); }));
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(SourceFollowing, ARestartedServerIsListenedToAgain) {
    Start();
    PlayInto("zebtest");
    ASSERT_TRUE(WatchUntil([&] { return Hears(); }));

    player.reset();
    server.Stop();
    ASSERT_TRUE(WatchUntil([&] { return state.lost && state.devices.Count() == 0; }));
    EXPECT_FALSE(Hears());
    EXPECT_THAT(sink.events, Contains(StartsWith("capture lost: zebtest.monitor (")));

    ASSERT_TRUE(server.Start()) << server.Log();
    const auto back = std::chrono::steady_clock::now();
    ASSERT_TRUE(WatchUntil([&] { return !state.lost; }));
    // A figure, not a check (the machine is shared): how long after the server answered.
    RecordProperty("reopened_after_ms",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - back)
                                        .count()));
    EXPECT_EQ(Selected(), "zebtest.monitor");
    EXPECT_THAT(sink.events, Contains("capture reopened: zebtest.monitor"));
    PlayInto("zebtest");
    EXPECT_TRUE(WatchUntil([&] { return Hears(); }));
    EXPECT_TRUE(sink.shown.empty());
}

}  // namespace
}  // namespace zeb
