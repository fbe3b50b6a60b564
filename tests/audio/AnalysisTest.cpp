// The sample ring and the level and FFT scales the spectrum folding depends on.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "audio/Analysis.h"
#include "audio/SampleRing.h"
#include "audio/SpectrumFolding.h"

namespace zeb {
namespace {

using ::testing::ElementsAre;

std::vector<float> Sine(double frequencyInBins, float amplitude, size_t count = kFftSize) {
    std::vector<float> samples(count);
    for (size_t n = 0; n < count; ++n) {
        samples[n] =
            amplitude *
            static_cast<float>(std::sin(2.0 * std::numbers::pi * frequencyInBins * n / kFftSize));
    }
    return samples;
}

std::array<float, kFftBins> Spectrum(const std::vector<float>& samples) {
    FftMagnitudes fft;
    std::array<float, kFftBins> out{};
    fft.Compute(std::span<const float, kFftSize>(samples.data(), kFftSize), out);
    return out;
}

size_t PeakBin(const std::array<float, kFftBins>& spectrum) {
    return static_cast<size_t>(std::max_element(spectrum.begin(), spectrum.end()) -
                               spectrum.begin());
}

// Magnitudes are checked to within 0.002 (0.4 % of full scale).
constexpr float kTolerance = 0.002f;

TEST(FftScale, FullScaleSineOnABinReadsHalfThereAndAQuarterBeside) {
    const auto spectrum = Spectrum(Sine(100, 1.0f));
    EXPECT_NEAR(spectrum[100], 0.5f, kTolerance);
    EXPECT_NEAR(spectrum[99], 0.25f, kTolerance);
    EXPECT_NEAR(spectrum[101], 0.25f, kTolerance);
    for (size_t k = 0; k < kFftBins; ++k) {
        if (k < 99 || k > 101) {
            ASSERT_NEAR(spectrum[k], 0.0f, kTolerance) << "bin " << k;
        }
    }
}

TEST(FftScale, MagnitudeIsProportionalToAmplitude) {
    for (const float amplitude : {0.5f, 0.25f, 0.01f}) {
        const auto spectrum = Spectrum(Sine(46, amplitude));
        EXPECT_NEAR(spectrum[46], 0.5f * amplitude, kTolerance * amplitude) << amplitude;
    }
}

TEST(FftScale, OneKilohertzAt44100LandsInBin46Or47) {
    const auto spectrum = Spectrum(Sine(1000.0 * kFftSize / 44100.0, 1.0f));
    const size_t peak = PeakBin(spectrum);
    EXPECT_TRUE(peak == 46 || peak == 47) << peak;
    // Between bins the Hann window loses at most about 1.5 dB.
    EXPECT_GT(spectrum[peak], 0.41f);
    EXPECT_LT(spectrum[peak], 0.5f);
}

TEST(FftScale, TheHighestBinIsReachable) {
    const auto spectrum = Spectrum(Sine(1023, 1.0f));
    EXPECT_NEAR(spectrum[1023], 0.5f, kTolerance);
}

TEST(FftScale, SilenceReadsZeroEverywhere) {
    const auto spectrum = Spectrum(std::vector<float>(kFftSize, 0.0f));
    for (const float m : spectrum) {
        ASSERT_EQ(m, 0.0f);
    }
    EXPECT_EQ(LevelWord(std::vector<float>(882, 0.0f)), 0u);
}

TEST(FftScale, FoldsIntoTheBandLevelsTheEngineThresholdsExpect) {
    // Bins 2..13 are bands 0..11, one bin each. A full-scale sine on bin 10 reads 0.5 there and
    // 0.25 in bins 9 and 11: band value (round(sqrt(m / log10(11)) * 1.7 * 127) - 1) / 10, with
    // the gain slider at its top, is 14.9 for 0.5 and 10.5 for 0.25; silent bands read -0.1.
    const auto spectrum = Spectrum(Sine(10, 1.0f));
    std::array<float, kFftBufferSize> buffer{};
    std::copy(spectrum.begin(), spectrum.end(), buffer.begin());
    SpectrumBandsArray bands{};
    std::vector<uint8_t> image;
    FoldSpectrum(buffer, RangedValue(0, 254, 254), bands, image);
    EXPECT_NEAR(bands[8], 14.9, 0.15);
    EXPECT_NEAR(bands[7], 10.5, 0.15);
    EXPECT_NEAR(bands[9], 10.5, 0.15);
    EXPECT_NEAR(bands[0], -0.1, 1e-9);
    EXPECT_NEAR(bands[31], -0.1, 1e-9);
}

TEST(Level, PeakTimes32768InBothHalvesCappedAtFullScale) {
    EXPECT_EQ(LevelWord(std::vector<float>{0.1f, -0.5f, 0.25f}), 0x40004000u);
    EXPECT_EQ(LevelWord(std::vector<float>{1.0f}), 0x80008000u);
    EXPECT_EQ(LevelWord(std::vector<float>{-3.0f, 2.0f}), 0x80008000u);
    EXPECT_EQ(LevelWord(std::vector<float>{}), 0u);
    EXPECT_EQ(LevelWord(std::vector<float>{std::nanf(""), 0.5f}), 0x40004000u);
}

TEST(SampleRingTest, NewestSamplesComeOutOldestFirstAcrossTheWrap) {
    SampleRing ring(4);
    ring.Append(std::vector<float>{1, 2, 3});
    ring.Append(std::vector<float>{4, 5});
    std::array<float, 3> out{};
    EXPECT_EQ(ring.CopyNewest(out), 3u);
    EXPECT_THAT(out, ElementsAre(3, 4, 5));

    std::array<float, 6> more{};
    EXPECT_EQ(ring.CopyNewest(more), 4u);
    EXPECT_THAT(more, ElementsAre(0, 0, 2, 3, 4, 5));
}

TEST(SampleRingTest, ABlockLargerThanTheRingKeepsItsNewestPart) {
    SampleRing ring(3);
    ring.Append(std::vector<float>{1, 2, 3, 4, 5, 6, 7});
    std::array<float, 3> out{};
    EXPECT_EQ(ring.CopyNewest(out), 3u);
    EXPECT_THAT(out, ElementsAre(5, 6, 7));
}

TEST(SampleRingTest, ALookAtAMomentJustPastFindsWhatWasNewestThen) {
    // Fragments of 3 samples every 7 ms (each sample the fragment's number), looks every 10 ms:
    // one ring is looked at on time, the other only once every fragment is in (it holds them all).
    SampleRing onTime(32);
    SampleRing late(32);
    const CaptureTime start{};
    const auto arrival = [&](int fragment) {
        return start + std::chrono::milliseconds(7 * fragment);
    };
    std::vector<std::array<float, 5>> seenOnTime;
    int fragment = 1;
    for (int look = 0; look <= 5; ++look) {
        const CaptureTime when = start + std::chrono::milliseconds(10 * look);
        for (; arrival(fragment) <= when; ++fragment) {
            const std::vector<float> samples(3, static_cast<float>(fragment));
            onTime.Append(samples, arrival(fragment));
            late.Append(samples, arrival(fragment));
        }
        std::array<float, 5> out{};
        onTime.CopyNewest(out);
        seenOnTime.push_back(out);
    }
    for (; fragment <= 9; ++fragment) {
        late.Append(std::vector<float>(3, static_cast<float>(fragment)), arrival(fragment));
    }
    std::vector<std::array<float, 5>> seenLate;
    for (int look = 0; look <= 5; ++look) {
        std::array<float, 5> out{};
        late.CopyNewestAt(out, start + std::chrono::milliseconds(10 * look));
        seenLate.push_back(out);
    }
    EXPECT_EQ(seenLate, seenOnTime);
    EXPECT_THAT(seenLate[3], ElementsAre(3, 3, 4, 4, 4));  // fragment 5 arrives at 35 ms
}

TEST(SampleRingTest, StartsAndClearsToSilence) {
    SampleRing ring(8);
    std::array<float, 2> out{9, 9};
    EXPECT_EQ(ring.CopyNewest(out), 0u);
    EXPECT_THAT(out, ElementsAre(0, 0));
    ring.Append(std::vector<float>{1, 2});
    ring.Clear();
    EXPECT_EQ(ring.CopyNewest(out), 0u);
    EXPECT_THAT(out, ElementsAre(0, 0));
}

}  // namespace
}  // namespace zeb
