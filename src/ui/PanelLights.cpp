#include "ui/PanelLights.h"

#include <QPainter>
#include <algorithm>
#include <utility>

#include "ui/EdgeDrawing.h"

namespace zeb {

namespace {

// Meter segment fill by row, bottom up: blue, brighter blue, green, bright green, yellow, red.
constexpr std::array<Colour, layout::kMeterSegmentsPerColumn> kMeterColours{
    0xC00000, 0xC00000, 0xC00000, 0xFF0000, 0x008000, 0x008000,
    0x00FF00, 0x00FF00, 0x00FFFF, 0x00FFFF, 0x0000FF, 0x0000FF};

int Column(int segment) {
    return segment / layout::kMeterSegmentsPerColumn;
}

QRect SegmentBox(int segment) {
    using namespace layout;
    const int row = segment % kMeterSegmentsPerColumn;
    const int x = Column(segment) == 0 ? kLeftMeterX : kRightMeterX;
    return {x, kMeterBottomY - kMeterPitch * row, kMeterSegmentWidth, kMeterSegmentHeight};
}

// A dark lamp shows its colour at this share of its strength.
constexpr int kDarkLampPercent = 25;

void PaintLamp(QPainter& painter, const QRect& box, const QColor& fill) {
    // A filled circle with a thin black rim.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

}  // namespace

PanelLights::PanelLights(QImage indicator) : indicator_(std::move(indicator)) {}

const std::vector<PanelLight>& PanelLights::Parts() {
    static const std::vector<PanelLight> parts = [] {
        std::vector<PanelLight> all;
        for (const PanelLight::Kind kind : {PanelLight::Kind::Indicator, PanelLight::Kind::Lamp}) {
            for (int i = 0; i < kChannelCount; ++i) {
                all.push_back({kind, i});
            }
        }
        all.push_back({PanelLight::Kind::Meter, 0});
        all.push_back({PanelLight::Kind::Meter, 1});
        for (int i = 0; i < kChannelCount; ++i) {
            all.push_back({PanelLight::Kind::AutoBar, i});
        }
        return all;
    }();
    return parts;
}

QRect PanelLights::Box(const PanelLight& part) {
    using namespace layout;
    const auto channel = static_cast<size_t>(part.index);
    switch (part.kind) {
        case PanelLight::Kind::Indicator:
            return {kStripX[channel], kIndicatorTop, kIndicatorSize, kIndicatorSize};
        case PanelLight::Kind::Lamp:
            return {kStripX[channel], kLampTop, kLampSize, kLampSize};
        case PanelLight::Kind::Meter:
            return SegmentBox(part.index * kMeterSegmentsPerColumn + kMeterSegmentsPerColumn - 1)
                .united(SegmentBox(part.index * kMeterSegmentsPerColumn));
        case PanelLight::Kind::AutoBar:
            break;
    }
    return {kAutoBarX[channel], kAutoBarTop, kAutoBarWidth, kAutoBarHeight};
}

Colour PanelLights::SegmentColour(int segment) {
    return kMeterColours[static_cast<size_t>(segment % layout::kMeterSegmentsPerColumn)];
}

int PanelLights::LitSegments(int column) const {
    const auto first = segments_.begin() + column * layout::kMeterSegmentsPerColumn;
    return static_cast<int>(std::count(first, first + layout::kMeterSegmentsPerColumn, true));
}

QRegion PanelLights::Show(const EngineState& engine, std::vector<PanelLight>* changed) {
    QRegion repaint;
    const auto note = [changed](PanelLight::Kind kind, int index) {
        if (changed != nullptr) {
            changed->push_back({kind, index});
        }
    };
    for (int i = 0; i < kChannelCount; ++i) {
        const size_t at = Index(i);
        if (indicators_[at] != engine.indicatorVisible[at]) {
            indicators_[at] = engine.indicatorVisible[at];
            repaint += Box({PanelLight::Kind::Indicator, i});
            note(PanelLight::Kind::Indicator, i);
        }
    }
    for (int i = 0; i < kChannelCount; ++i) {
        const size_t at = Index(i);
        if (lamps_[at] != engine.lampLit[at]) {
            lamps_[at] = engine.lampLit[at];
            repaint += Box({PanelLight::Kind::Lamp, i});
            note(PanelLight::Kind::Lamp, i);
        }
    }
    std::array<bool, 2> columnChanged{};
    for (int k = 0; k < kMeterSegmentCount; ++k) {
        const auto at = static_cast<size_t>(k);
        if (segments_[at] != engine.meterSegments[at]) {
            segments_[at] = engine.meterSegments[at];
            repaint += SegmentBox(k);
            columnChanged[static_cast<size_t>(Column(k))] = true;
        }
    }
    for (int column = 0; column < 2; ++column) {
        if (columnChanged[static_cast<size_t>(column)]) {
            note(PanelLight::Kind::Meter, column);
        }
    }
    for (int i = 0; i < kChannelCount; ++i) {
        const size_t at = Index(i);
        const int level =
            static_cast<int>(std::clamp(engine.AutoThreshold[at], 0.0f, float{kAutoLevelMax}));
        if (autoLevels_[at] != level) {
            autoLevels_[at] = level;
            note(PanelLight::Kind::AutoBar, i);
        }
    }
    return repaint;
}

QRegion PanelLights::ShowColours(const ChannelConfigs& channels) {
    QRegion repaint;
    for (int i = 0; i < kChannelCount; ++i) {
        const size_t at = Index(i);
        if (colours_[at] != channels[at].colour) {
            colours_[at] = channels[at].colour;
            repaint += Box({PanelLight::Kind::Lamp, i});
        }
    }
    return repaint;
}

QColor PanelLights::LampFill(int channel) const {
    const LampColour colour = colours_[Index(channel)];
    const int percent = lamps_[Index(channel)] ? 100 : kDarkLampPercent;
    return {colour.red * percent / 100, colour.green * percent / 100, colour.blue * percent / 100};
}

void PanelLights::Paint(QPainter& painter, const QRegion& region) const {
    for (int i = 0; i < kChannelCount; ++i) {
        const QRect indicator = Box({PanelLight::Kind::Indicator, i});
        if (indicators_[Index(i)] && region.intersects(indicator)) {
            painter.drawImage(indicator.topLeft(), indicator_);
        }
        const QRect lamp = Box({PanelLight::Kind::Lamp, i});
        if (region.intersects(lamp)) {
            PaintLamp(painter, lamp, LampFill(i));
        }
    }
    for (int k = 0; k < kMeterSegmentCount; ++k) {
        const QRect segment = SegmentBox(k);
        if (segments_[static_cast<size_t>(k)] && region.intersects(segment)) {
            painter.fillRect(segment, ToQColor(SegmentColour(k)));
        }
    }
}

}  // namespace zeb
