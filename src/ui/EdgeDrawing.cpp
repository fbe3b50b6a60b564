#include "ui/EdgeDrawing.h"

#include <array>

namespace zeb {

namespace {

constexpr uint32_t kSystemColourFlag = 0x80000000u;

// 0xRRGGBB of the desktop scheme's system colours, by index.
constexpr std::array<uint32_t, 25> kSystemColours = {
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000,
    0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D,
    0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xFFFFE1};

constexpr int kColourButtonShadow = 16;
constexpr int kColourButtonHighlight = 20;
constexpr int kColourDarkShadow = 21;
constexpr int kColourLight = 22;

QColor SystemColour(int index) {
    return QColor::fromRgb(kSystemColours[static_cast<size_t>(index)]);
}

// One border: top and left lines in `topLeft`, bottom and right lines in `bottomRight`.
void DrawBorder(QPainter& painter, const EdgeRect& r, const QColor& topLeft,
                const QColor& bottomRight) {
    painter.setPen(bottomRight);
    painter.drawLine(r.left, r.bottom - 1, r.right - 1, r.bottom - 1);
    painter.drawLine(r.right - 1, r.top, r.right - 1, r.bottom - 1);
    painter.setPen(topLeft);
    painter.drawLine(r.left, r.top, r.right - 2, r.top);
    painter.drawLine(r.left, r.top, r.left, r.bottom - 2);
}

}  // namespace

QColor ToQColor(Colour colour) {
    if ((colour & kSystemColourFlag) != 0) {
        const uint32_t index = colour & 0xFFu;
        return index < kSystemColours.size() ? SystemColour(static_cast<int>(index))
                                             : QColor(Qt::black);
    }
    return QColor(static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
                  static_cast<int>((colour >> 16) & 0xFFu));
}

void DrawEdge(QPainter& painter, const EdgeRect& rect, int edge) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    EdgeRect r = rect;
    if ((edge & (kEdgeRaisedOuter | kEdgeSunkenOuter)) != 0) {
        if ((edge & kEdgeRaisedOuter) != 0) {
            DrawBorder(painter, r, SystemColour(kColourLight), SystemColour(kColourDarkShadow));
        } else {
            DrawBorder(painter, r, SystemColour(kColourButtonShadow),
                       SystemColour(kColourButtonHighlight));
        }
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
    if ((edge & kEdgeRaisedInner) != 0) {
        DrawBorder(painter, r, SystemColour(kColourButtonHighlight),
                   SystemColour(kColourButtonShadow));
    } else if ((edge & kEdgeSunkenInner) != 0) {
        DrawBorder(painter, r, SystemColour(kColourDarkShadow), SystemColour(kColourLight));
    }
    painter.restore();
}

}  // namespace zeb
