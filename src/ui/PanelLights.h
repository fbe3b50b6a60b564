#pragma once
// What the panel shows of the engine: the twelve lamps, the channel indicators above the
// strips, the two level meters and the automatic-threshold bars. The window paints them over
// its own skin, so a frame costs one paint of the parts that changed instead of a widget (and
// its show, hide and paint) for every lamp and meter segment. Assistive technology reads them
// as parts of the window (see Accessibility.h).

#include <QColor>
#include <QImage>
#include <QRegion>
#include <array>
#include <vector>

#include "engine/EngineState.h"
#include "ui/MainWindowLayout.h"

class QPainter;

namespace zeb {

// One part of the panel that shows the engine.
struct PanelLight {
    enum class Kind { Indicator, Lamp, Meter, AutoBar };
    Kind kind;
    int index;  // the channel; for a meter its column, 0 left
};

class PanelLights {
  public:
    // `indicator` is the picture of a lit channel indicator.
    explicit PanelLights(QImage indicator);

    // Takes the engine's newest state. Returns the area of the window to repaint and, in
    // `changed`, the parts whose state changed (in the order of Parts()).
    QRegion Show(const EngineState& engine, std::vector<PanelLight>* changed = nullptr);
    // Takes the channels' colours; returns the lamps to repaint.
    QRegion ShowColours(const ChannelConfigs& channels);
    // Paints every part that `region` touches, over the skin already painted there.
    void Paint(QPainter& painter, const QRegion& region) const;

    // Every part, in reading order: indicators, lamps, the meters, the automatic-threshold bars.
    static const std::vector<PanelLight>& Parts();
    // Where a part lies in the window (the automatic-threshold bars below the client area).
    static QRect Box(const PanelLight& part);

    bool IndicatorShown(int channel) const { return indicators_[Index(channel)]; }
    bool LampLit(int channel) const { return lamps_[Index(channel)]; }
    // The fill of channel `channel`'s lamp: its colour, dimmed while the lamp is dark.
    QColor LampFill(int channel) const;
    int LitSegments(int column) const;
    bool SegmentLit(int segment) const { return segments_[static_cast<size_t>(segment)]; }
    // The automatic threshold as its bar shows it: a whole number 0..32.
    int AutoLevel(int channel) const { return autoLevels_[Index(channel)]; }
    static constexpr int kAutoLevelMax = 32;
    // The fill of segment `segment` (0..23, bottom up, left column first).
    static Colour SegmentColour(int segment);

  private:
    static size_t Index(int channel) { return static_cast<size_t>(channel); }

    QImage indicator_;
    std::array<bool, kChannelCount> indicators_{};
    std::array<bool, kChannelCount> lamps_{};
    std::array<LampColour, kChannelCount> colours_{};
    std::array<bool, kMeterSegmentCount> segments_{};
    std::array<int, kChannelCount> autoLevels_{};
};

}  // namespace zeb
