#pragma once
// Where every control of the main window sits, in pixels of the client area.

#include <QRect>
#include <array>

#include "engine/ModelValues.h"

namespace zeb::layout {

constexpr int kClientHeight = 393;

// Top row.
constexpr QRect kTitle{136, 8, 169, 17};
constexpr QRect kLpt{24, 24, 25, 17};
constexpr QRect kCom{64, 24, 25, 17};
constexpr QRect kUsbFtdi{112, 24, 49, 17};
constexpr QRect kKeyboard{176, 24, 65, 17};
constexpr QRect kUsbD3{256, 24, 41, 17};
constexpr QRect kUsbD8{312, 24, 41, 17};
constexpr QRect kSet{368, 24, 25, 17};
constexpr QRect kHideButton{400, 26, 11, 11};
constexpr QRect kExitButton{416, 26, 11, 11};

// Spectrum area.
constexpr QRect kSpectrumFrame{8, 48, 425, 137};
constexpr QRect kSpectrum{14, 48, 417, 129};
constexpr int kMarkerTop = 176;
constexpr int kMarkerWidth = 11;
constexpr int kMarkerHeight = 9;
// The first start's one-line hint, along the top of the spectrum.
constexpr QRect kFirstStartHint{14, 50, 417, 15};

// Channel strips, channel 0 leftmost.
using StripPositions = std::array<int, kChannelCount>;
constexpr StripPositions kStripX{80, 104, 128, 152, 184, 208, 232, 256, 288, 312, 336, 360};
constexpr StripPositions kBandLabelX{83, 106, 130, 154, 187, 211, 235, 257, 291, 315, 339, 363};
constexpr StripPositions kAutoBarX{88, 112, 136, 160, 192, 216, 240, 264, 296, 320, 344, 368};
constexpr int kIndicatorTop = 224;
constexpr int kIndicatorSize = 12;
constexpr int kBandLabelTop = 240;
constexpr int kBandLabelSize = 17;
constexpr int kSliderTop = 256;
constexpr int kSliderWidth = 16;
constexpr int kSliderHeight = 110;
constexpr int kLampTop = 368;
constexpr int kLampSize = 17;
// The automatic-threshold bars lie below the client area.
constexpr int kAutoBarTop = 432;
constexpr int kAutoBarWidth = 17;
constexpr int kAutoBarHeight = 129;

// Meters: segment k of a column at y = 352 - 8 k, bottom up.
constexpr int kMeterSegmentsPerColumn = 12;
constexpr int kLeftMeterX = 64;
constexpr int kRightMeterX = 384;
constexpr int kMeterBottomY = 352;
constexpr int kMeterPitch = 8;
constexpr int kMeterSegmentWidth = 7;
constexpr int kMeterSegmentHeight = 5;
constexpr QRect kLevelSlider{32, 256, 16, 110};
constexpr QRect kGainSlider{408, 256, 16, 110};
constexpr QRect kAuto{24, 224, 41, 17};
// The tempo readout, on the panel above "AUTO".
constexpr QRect kTempo{16, 198, 57, 17};

// Settings column.
// The DMX output under the name badge: its switch on a key like "AUTO", the universe and the
// start address.
constexpr QRect kDmx{492, 75, 33, 17};
constexpr QRect kDmxUniverseCaption{530, 66, 55, 17};
constexpr QRect kDmxUniverse{588, 62, 45, 21};
constexpr QRect kDmxAddressCaption{530, 92, 55, 17};
constexpr QRect kDmxAddress{588, 88, 45, 21};
constexpr QRect kDmxLayoutList{487, 96, 42, 18};
constexpr QRect kSelectAudioInput{488, 120, 129, 17};
constexpr QRect kInputList{496, 136, 105, 21};
constexpr QRect kDeviceList{496, 168, 105, 21};
constexpr QRect kSpeedAutoCaption{496, 200, 73, 17};
constexpr QRect kSpeedAutoList{568, 192, 33, 21};
constexpr QRect kLptCaption{496, 224, 105, 17};
constexpr QRect kAddressList{496, 240, 105, 21};
constexpr QRect kDel{608, 248, 25, 17};
constexpr QRect kAddressEntry{496, 272, 105, 21};
constexpr QRect kAdd{608, 272, 25, 17};
constexpr QRect kComPortCaption{496, 304, 121, 17};
constexpr QRect kComPrefix{504, 320, 41, 25};
constexpr QRect kPortList{552, 320, 41, 24};
constexpr QRect kWebAddress{560, 368, 73, 17};
// The output delay in ms, under the serial port.
constexpr QRect kDelayCaption{486, 369, 37, 17};
constexpr QRect kDelay{523, 366, 32, 21};

// The focus sink, below the client area.
constexpr QRect kFocusSink{568, 504, 73, 25};

}  // namespace zeb::layout
