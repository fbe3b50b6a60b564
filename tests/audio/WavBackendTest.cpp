// The sound-file back end, driven by a test clock so pacing is checked without waiting.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>

#include "RecordingSink.h"
#include "WavWriter.h"
#include "audio/CaptureControl.h"
#include "audio/CaptureErrors.h"
#include "audio/CaptureFactory.h"
#include "audio/SpectrumFolding.h"
#include "audio/WavBackend.h"
#include "engine/PeakHold.h"

namespace zeb {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

class WavCapture : public ::testing::Test {
  protected:
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Write(const std::string& name, const std::vector<float>& samples, int rate = 44100,
                      int channels = 1) {
        const std::string path = (folder_ / name).string();
        EXPECT_TRUE(testing::WriteWav(path, samples, rate, channels));
        return path;
    }
    WavBackend Backend(const std::string& path) {
        return WavBackend(path, [this] { return now; });
    }
    // 100 ms of silence, then 100 ms at 0.5: the level tells where playback stands.
    std::vector<float> HalfSilent() {
        std::vector<float> samples(8820, 0.0f);
        std::fill(samples.begin() + 4410, samples.end(), 0.5f);
        return samples;
    }
    uint32_t LevelAt(WavBackend& backend, CaptureHandle handle, std::chrono::nanoseconds at) {
        now = at;
        return backend.ChannelGetLevel(handle) & 0xFFFF;
    }

    std::chrono::nanoseconds now{5s};  // the clock need not start at zero
    std::filesystem::path folder_ = [] {
        const auto path =
            std::filesystem::temp_directory_path() /
            ("zeb-wav-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(path);
        return path;
    }();
};

TEST_F(WavCapture, SamplesArriveInRealTimeAndTheFileLoops) {
    WavBackend backend = Backend(Write("pattern.wav", HalfSilent()));
    ASSERT_TRUE(backend.RecordInit(kDefaultDevice));
    const CaptureHandle handle = backend.RecordStart(44100, 1, 0);
    ASSERT_NE(handle, 0u);
    const auto start = now;
    EXPECT_EQ(LevelAt(backend, handle, start), 0u);
    EXPECT_EQ(LevelAt(backend, handle, start + 100ms), 0u);      // exactly the silent part
    EXPECT_EQ(LevelAt(backend, handle, start + 101ms), 16384u);  // first loud samples
    EXPECT_EQ(LevelAt(backend, handle, start + 250ms), 0u);      // second pass, silent part
    EXPECT_EQ(LevelAt(backend, handle, start + 310ms), 16384u);  // second pass, loud part
    // The level sees only the newest 20 ms.
    EXPECT_EQ(LevelAt(backend, handle, start + 420ms), 0u);
    EXPECT_EQ(backend.ChannelGetLevel(handle) >> 16, 0u);
}

// A short file plays from memory: emptied on the disk once started, it goes on looping
// (read again, it would fall silent).
TEST_F(WavCapture, AShortFileLoopsFromMemory) {
    for (const std::size_t length : {std::size_t{1}, std::size_t{441}}) {
        const std::string path = Write("short.wav", std::vector<float>(length, 0.5f));
        WavBackend backend = Backend(path);
        ASSERT_TRUE(backend.RecordInit(kDefaultDevice));
        const CaptureHandle handle = backend.RecordStart(44100, 1, 0);
        ASSERT_NE(handle, 0u);
        std::filesystem::resize_file(path, 0);
        EXPECT_EQ(LevelAt(backend, handle, now + 500ms), 16384u) << length << " samples";
    }
}

TEST_F(WavCapture, InputVolumeIsAGainStartingAtOne) {
    WavBackend backend = Backend(Write("pattern.wav", HalfSilent()));
    ASSERT_TRUE(backend.RecordInit(0));
    float volume = 0.0f;
    EXPECT_EQ(backend.RecordGetInput(0, &volume), 0u);  // on
    EXPECT_EQ(volume, 1.0f);
    const CaptureHandle handle = backend.RecordStart(44100, 1, 0);

    CaptureState state;
    state.CurrentInput = 0;
    levelin(backend, state, RangedValue(0, 254, 127));
    EXPECT_EQ(CurrentInputVolume(backend, state), 0.5f);
    EXPECT_EQ(LevelAt(backend, handle, now + 190ms), 8192u);
    levelin(backend, state, RangedValue(0, 254, 0));
    EXPECT_EQ(LevelAt(backend, handle, now + 200ms), 0u);  // 370..390 ms: loud part, muted

    EXPECT_FALSE(backend.RecordSetInput(0, kInputUnchanged, 1.01f));
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kIllegalParam);
}

TEST_F(WavCapture, OtherRatesAreConvertedAndChannelsMixed) {
    WavBackend slow = Backend(Write("slow.wav", testing::Tone(1000.0, 0.5f, 1.0, 22050), 22050));
    ASSERT_TRUE(slow.RecordInit(kDefaultDevice));
    const CaptureHandle handle = slow.RecordStart(44100, 1, 0);
    now += 500ms;
    std::array<float, 1025> fft{};
    ASSERT_TRUE(slow.ChannelGetData(handle, fft.data(), kFftFlags2048));
    const auto peak = std::max_element(fft.begin(), fft.begin() + 1024) - fft.begin();
    EXPECT_TRUE(peak == 46 || peak == 47) << peak;
    EXPECT_GT(fft[static_cast<size_t>(peak)], 0.2f);
    EXPECT_EQ(fft[1024], 0.0f);

    std::vector<float> stereo;
    for (int n = 0; n < 4410; ++n) {
        stereo.insert(stereo.end(), {0.6f, 0.2f});
    }
    WavBackend mixed = Backend(Write("stereo.wav", stereo, 44100, 2));
    ASSERT_TRUE(mixed.RecordInit(kDefaultDevice));
    const CaptureHandle mixedHandle = mixed.RecordStart(44100, 1, 0);
    EXPECT_NEAR(static_cast<double>(LevelAt(mixed, mixedHandle, now + 50ms)), 0.4 * 32768, 1.0);
}

TEST_F(WavCapture, ALongPauseDoesNotReplayEverySample) {
    WavBackend backend = Backend(Write("pattern.wav", HalfSilent()));
    ASSERT_TRUE(backend.RecordInit(kDefaultDevice));
    const CaptureHandle handle = backend.RecordStart(44100, 1, 0);
    // Ten days later the capture still answers (and no sample count overflows).
    EXPECT_NE(backend.ChannelGetLevel(handle), kLevelFailed);
    now += std::chrono::hours(240);
    EXPECT_NE(backend.ChannelGetLevel(handle), kLevelFailed);
}

TEST_F(WavCapture, StepsTakenLateSeeWhatTheyWouldHaveSeenOnTime) {
    // A tone whose loudness changes every 7 ms, so that every 10 ms step reads its own level.
    std::vector<float> samples(44100);
    for (size_t n = 0; n < samples.size(); ++n) {
        const auto loudness = static_cast<float>(1 + (n / 309) % 9) / 10.0f;
        samples[n] = loudness * std::sin(0.3f * static_cast<float>(n));
    }
    const std::string path = Write("steps.wav", samples);
    WavBackend onTime = Backend(path);
    WavBackend late = Backend(path);
    ASSERT_TRUE(onTime.RecordInit(kDefaultDevice) && late.RecordInit(kDefaultDevice));
    const auto start = now;
    const CaptureHandle onTimeHandle = onTime.RecordStart(44100, 1, 0);
    const CaptureHandle lateHandle = late.RecordStart(44100, 1, 0);
    const auto step = [&](int k) { return start + k * 10ms; };
    const RangedValue gain(0, 254, 254);

    // The peak hold ticked at every step, and the spectrum of the newest step.
    EngineState ticked;
    std::vector<int32_t> tickedPeaks;
    for (int k = 1; k <= 7; ++k) {
        now = step(k);
        PeakHoldTick(ticked, DecodeLevel(onTime.ChannelGetLevel(onTimeHandle)));
        tickedPeaks.push_back(ticked.PeakLeft);
    }
    std::vector<uint8_t> tickedImage;
    UpdateSpectrum(onTime, onTimeHandle, gain, ticked.SpectrumBands, tickedImage);

    // The same steps taken at one wake-up 25 ms after the newest of them.
    now = step(7) + 25ms;
    EngineState replayed;
    std::vector<int32_t> replayedPeaks;
    const auto moment = [&](int k) {
        return CaptureTime(std::chrono::duration_cast<CaptureTime::duration>(step(k)));
    };
    for (int k = 1; k <= 7; ++k) {
        PeakHoldTick(replayed, DecodeLevel(late.ChannelGetLevelAt(lateHandle, moment(k))));
        replayedPeaks.push_back(replayed.PeakLeft);
    }
    std::vector<uint8_t> replayedImage;
    UpdateSpectrumAt(late, lateHandle, gain, replayed.SpectrumBands, replayedImage, moment(7));

    EXPECT_EQ(replayedPeaks, tickedPeaks);
    EXPECT_EQ(replayed.SpectrumBands, ticked.SpectrumBands);
    EXPECT_EQ(replayedImage, tickedImage);
    // The steps did read different levels: equal peaks are no accident of a steady sound.
    EXPECT_GE(std::set<int32_t>(tickedPeaks.begin(), tickedPeaks.end()).size(), 4u);
}

TEST_F(WavCapture, OneDeviceNamedAfterTheFileWithOneInput) {
    WavBackend backend = Backend(Write("demo song.wav", HalfSilent()));
    EXPECT_EQ(backend.RecordGetDeviceInfo(0), "demo song.wav");
    EXPECT_FALSE(backend.RecordGetDeviceInfo(1).has_value());
    EXPECT_EQ(backend.ErrorGetCode(), capture_error::kDevice);

    CaptureState state;
    testing::RecordingSink sink;
    ASSERT_EQ(StartAudio(backend, state, int16_t{0}, sink), AudioOutcome::Running);
    EXPECT_THAT(state.devices.Entries(), ElementsAre("demo song.wav"));
    EXPECT_THAT(state.inputs.Entries(), ElementsAre("File"));
    EXPECT_EQ(state.CurrentInput, 0);
    EXPECT_NE(state.RecordHandle, 0u);
    EXPECT_EQ(backend.ChannelGetLevel(state.RecordHandle), 0u);
}

TEST_F(WavCapture, FilesThatCannotBePlayedFailInitWithTheirOwnCodes) {
    const std::string text = (folder_ / "notes.wav").string();
    std::ofstream(text) << "not a sound file at all, just some words";
    // Nothing ever writes to the pipe: waiting on it would hang here.
    const std::string pipe = (folder_ / "pipe.wav").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const struct {
        std::string path;
        int32_t code;
    } cases[] = {{(folder_ / "missing.wav").string(), capture_error::kFileOpen},
                 {pipe, capture_error::kFileOpen},
                 {text, capture_error::kFileFormat},
                 {Write("empty.wav", {}), capture_error::kNotAudio}};
    for (const auto& c : cases) {
        WavBackend backend = Backend(c.path);
        EXPECT_FALSE(backend.RecordInit(kDefaultDevice)) << c.path;
        EXPECT_EQ(backend.ErrorGetCode(), c.code) << c.path;
        EXPECT_EQ(backend.RecordStart(44100, 1, 0), 0u);
        EXPECT_EQ(backend.ErrorGetCode(), capture_error::kInit);
    }

    WavBackend fromPipe = Backend(pipe);
    fromPipe.RecordInit(kDefaultDevice);
    EXPECT_EQ(fromPipe.ErrorDetail(), "sound file " + pipe + ": not a regular file");

    WavBackend missing = Backend((folder_ / "missing.wav").string());
    CaptureState state;
    testing::RecordingSink sink;
    EXPECT_EQ(StartAudio(missing, state, std::nullopt, sink), AudioOutcome::EndProgram);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "Can't initialize device\r\n\r\nerror code: 2");
}

TEST_F(WavCapture, TheFileIsChosenByTheEnvironment) {
    const std::string path = Write("env.wav", HalfSilent());
    ASSERT_EQ(setenv("ZEB_AUDIO_FILE", path.c_str(), 1), 0);
    const auto backend = MakeCaptureBackend();
    unsetenv("ZEB_AUDIO_FILE");
    EXPECT_EQ(backend->RecordGetDeviceInfo(0), "env.wav");
    EXPECT_NE(dynamic_cast<WavBackend*>(backend.get()), nullptr);
}

}  // namespace
}  // namespace zeb
