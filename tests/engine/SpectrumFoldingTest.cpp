#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "audio/SpectrumFolding.h"

namespace zeb {
namespace {

using ::testing::_;
using ::testing::Return;

using FftBuffer = std::array<float, kFftBufferSize>;

constexpr size_t kRowBytes = kSpectrumImageWidth;
const RangedValue kFullGain{0, 254, 254};

// Bar height of a band whose bins sum to `sum`, with `scale` = 10 + number of bins.
int32_t ExpectedHeight(double sum, int scale) {
    return static_cast<int32_t>(std::nearbyint(std::sqrt(sum / std::log10(scale)) * 1.7 * 127));
}

struct BandBinsCase {
    int band;
    int firstBin;
    int lastBin;
    int scale;
};

// The documented band layout: which bins each band sums, and its scale.
const std::vector<BandBinsCase> kLayout = {
    {0, 2, 2, 11},      {11, 13, 13, 11},    {12, 14, 15, 12},
    {13, 16, 18, 13},   {16, 30, 36, 17},    {20, 71, 88, 28},
    {24, 172, 214, 53}, {28, 420, 524, 115}, {31, 820, 1023, 214}};

TEST(SpectrumFolding, BandsSumTheirDocumentedBins) {
    FftBuffer fft{};
    for (size_t k = 0; k < fft.size(); ++k) {
        fft[k] = static_cast<float>(k);  // a distinct value per bin
    }
    // Bins 0, 1 and 1024 are never read; a huge value there would show.
    fft[0] = fft[1] = fft[1024] = 1e9f;
    SpectrumBandsArray bands{};
    std::vector<uint8_t> image;
    FoldSpectrum(fft, kFullGain, bands, image);
    for (const auto& c : kLayout) {
        double sum = 0;
        for (int k = c.firstBin; k <= c.lastBin; ++k) {
            sum += k;
        }
        const int32_t y = ExpectedHeight(sum, c.scale);
        EXPECT_DOUBLE_EQ(bands[static_cast<size_t>(c.band)], (y - 1) / 10.0) << "band " << c.band;
    }
}

TEST(SpectrumFolding, EveryBinFrom2To1023FeedsExactlyOneBandInRisingOrder) {
    SpectrumBandsArray bands{};
    std::vector<uint8_t> image;
    int previousBand = 0;
    for (int bin = 0; bin < kFftBufferSize; ++bin) {
        FftBuffer fft{};
        fft[static_cast<size_t>(bin)] = 100.0f;
        FoldSpectrum(fft, kFullGain, bands, image);
        std::vector<int> fed;
        for (int x = 0; x < kBandCount; ++x) {
            if (bands[static_cast<size_t>(x)] != -0.1) {
                fed.push_back(x);
            }
        }
        if (bin < 2 || bin > 1023) {
            EXPECT_TRUE(fed.empty()) << "bin " << bin;
            continue;
        }
        ASSERT_EQ(fed.size(), 1u) << "bin " << bin;
        EXPECT_GE(fed[0], previousBand) << "bin " << bin;
        EXPECT_LE(fed[0], previousBand + 1) << "bin " << bin;
        previousBand = fed[0];
        for (const auto& c : kLayout) {
            if (bin >= c.firstBin && bin <= c.lastBin) {
                EXPECT_EQ(fed[0], c.band) << "bin " << bin;
            }
        }
    }
    EXPECT_EQ(previousBand, kBandCount - 1);
}

TEST(SpectrumFolding, SilenceGivesEmptyBarsAndTheGainOffset) {
    const FftBuffer silence{};
    SpectrumBandsArray bands{};
    std::vector<uint8_t> image(10, 7);

    FoldSpectrum(silence, kFullGain, bands, image);
    ASSERT_EQ(image.size(), 424u * 128u + 1u);
    EXPECT_EQ(std::count(image.begin(), image.end(), 0), static_cast<long>(image.size()));
    for (const double band : bands) {
        EXPECT_DOUBLE_EQ(band, -0.1);
    }

    FoldSpectrum(silence, RangedValue{0, 254, 0}, bands, image);
    for (const double band : bands) {
        EXPECT_DOUBLE_EQ(band, -12.8);  // 12.7 lower than at full gain
    }
    // An odd difference halves to .5.
    FoldSpectrum(silence, RangedValue{0, 254, 253}, bands, image);
    EXPECT_DOUBLE_EQ(bands[5], -0.15);
}

TEST(SpectrumFolding, TallBarIsCappedInTheImageButNotInTheBandLevel) {
    FftBuffer fft{};
    // Band 0 (bin 2, scale 11) at height 200; band 1 (bin 3) at height 3.
    fft[2] = static_cast<float>(std::pow(200.0 / (1.7 * 127), 2) * std::log10(11.0));
    fft[3] = static_cast<float>(std::pow(3.0 / (1.7 * 127), 2) * std::log10(11.0));
    SpectrumBandsArray bands{};
    std::vector<uint8_t> image;
    FoldSpectrum(fft, kFullGain, bands, image);

    EXPECT_DOUBLE_EQ(bands[0], 19.9);
    EXPECT_DOUBLE_EQ(bands[1], 0.2);
    for (size_t row = 0; row < 128; ++row) {
        const uint8_t expected = row < 127 ? static_cast<uint8_t>(row + 1) : 0;
        for (size_t col = 0; col < 12; ++col) {
            ASSERT_EQ(image[row * kRowBytes + col], expected) << row << "," << col;
        }
        EXPECT_EQ(image[row * kRowBytes + 12], 0) << "gap after the bar, row " << row;
        const uint8_t shortBar = row < 3 ? static_cast<uint8_t>(row + 1) : 0;
        EXPECT_EQ(image[row * kRowBytes + 13], shortBar) << row;
        EXPECT_EQ(image[row * kRowBytes + 24], shortBar) << row;
        EXPECT_EQ(image[row * kRowBytes + 25], 0) << row;
    }
    EXPECT_EQ(image.back(), 0);
}

TEST(SpectrumFolding, LastBandDrawsInsideTheRow) {
    FftBuffer fft{};
    for (size_t k = 820; k <= 1023; ++k) {
        fft[k] = 10.0f;
    }
    SpectrumBandsArray bands{};
    std::vector<uint8_t> image;
    FoldSpectrum(fft, kFullGain, bands, image);
    EXPECT_EQ(image[13 * 31], 1);
    EXPECT_EQ(image[13 * 31 + 11], 1);
    EXPECT_EQ(image[13 * 31 + 12], 0);
    EXPECT_EQ(image[126 * kRowBytes + 13 * 31], 127);
}

TEST(SpectrumFolding, BrokenMagnitudesGiveEmptyBarsNotGarbage) {
    FftBuffer fft{};
    fft[2] = -5.0f;
    fft[3] = std::numeric_limits<float>::quiet_NaN();
    fft[4] = std::numeric_limits<float>::infinity();
    SpectrumBandsArray bands{};
    std::vector<uint8_t> image;
    FoldSpectrum(fft, kFullGain, bands, image);
    EXPECT_DOUBLE_EQ(bands[0], -0.1);
    EXPECT_DOUBLE_EQ(bands[1], -0.1);
    EXPECT_GT(bands[2], 1e8);  // saturated, a full bar
    EXPECT_EQ(image[0], 0);
    EXPECT_EQ(image[13], 0);
    EXPECT_EQ(image[126 * kRowBytes + 26], 127);
}

TEST(SpectrumPalette, RowColourIsItsHeight) {
    const auto palette = SpectrumPalette();
    EXPECT_EQ(palette[0], 0xFF000000u);
    EXPECT_EQ(palette[1], 0xFF02FE00u);    // red 2, green 254
    EXPECT_EQ(palette[64], 0xFF808000u);   // red 128, green 128
    EXPECT_EQ(palette[127], 0xFFFE0200u);  // red 254, green 2
    EXPECT_EQ(palette[128], 0xFF000000u);
    EXPECT_EQ(palette[255], 0xFF000000u);
}

class FakeCapture : public CaptureBackend {
  public:
    MOCK_METHOD(uint32_t, GetVersion, (), (override));
    MOCK_METHOD(int32_t, ErrorGetCode, (), (override));
    MOCK_METHOD(bool, RecordInit, (int), (override));
    MOCK_METHOD(bool, RecordFree, (), (override));
    MOCK_METHOD(std::optional<std::string>, RecordGetDeviceInfo, (int), (override));
    MOCK_METHOD(std::optional<std::string>, RecordGetInputName, (int), (override));
    MOCK_METHOD(uint32_t, RecordGetInput, (int, float*), (override));
    MOCK_METHOD(bool, RecordSetInput, (int, uint32_t, float), (override));
    MOCK_METHOD(CaptureHandle, RecordStart, (uint32_t, uint32_t, uint32_t), (override));
    MOCK_METHOD(uint32_t, ChannelGetLevel, (CaptureHandle), (override));
    MOCK_METHOD(bool, ChannelGetData, (CaptureHandle, float*, uint32_t), (override));
};

TEST(UpdateSpectrum, FoldsWhatTheCaptureDelivers) {
    FakeCapture capture;
    EXPECT_CALL(capture, ChannelGetData(42u, _, kFftFlags2048))
        .WillOnce([](CaptureHandle, float* fft, uint32_t) {
            EXPECT_EQ(fft[1024], 0.0f);  // a fresh, zeroed buffer
            fft[2] = 1.0f;
            return true;
        });
    SpectrumBandsArray bands{};
    std::vector<uint8_t> image;
    UpdateSpectrum(capture, 42, kFullGain, bands, image);
    EXPECT_DOUBLE_EQ(bands[0], (ExpectedHeight(1.0, 11) - 1) / 10.0);
    EXPECT_DOUBLE_EQ(bands[1], -0.1);
    EXPECT_EQ(image[0], 1);
}

TEST(UpdateSpectrum, FailedFetchFoldsAsSilence) {
    FakeCapture capture;
    EXPECT_CALL(capture, ChannelGetData(0u, _, kFftFlags2048))
        .WillOnce([](CaptureHandle, float* fft, uint32_t) {
            fft[5] = 99.0f;  // garbage left behind by a failed call
            return false;
        });
    SpectrumBandsArray bands{};
    bands.fill(3.0);
    std::vector<uint8_t> image;
    UpdateSpectrum(capture, 0, RangedValue{0, 254, 0}, bands, image);
    for (const double band : bands) {
        EXPECT_DOUBLE_EQ(band, -12.8);
    }
    EXPECT_EQ(std::count(image.begin(), image.end(), 0), static_cast<long>(image.size()));
}

}  // namespace
}  // namespace zeb
