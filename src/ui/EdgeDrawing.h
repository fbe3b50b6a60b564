#pragma once
// Colours of the window (0x00BBGGRR values, with the system colours resolved) and the
// classic 3-D edges the slider draws its rail and default thumb with.

#include <QColor>
#include <QPainter>

#include "engine/ModelValues.h"

namespace zeb {

// A rectangle as the drawing routines take it: right and bottom lie just outside.
struct EdgeRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const EdgeRect&) const = default;
};

// Edge borders, combinable: outer border first, then the inner one inside it.
constexpr int kEdgeRaisedOuter = 1;
constexpr int kEdgeSunkenOuter = 2;
constexpr int kEdgeRaisedInner = 4;
constexpr int kEdgeSunkenInner = 8;
constexpr int kEdgeRaised = kEdgeRaisedOuter | kEdgeRaisedInner;  // 5
constexpr int kEdgeSunken = kEdgeSunkenOuter | kEdgeSunkenInner;  // 10

// A colour with the top bit set names a system colour (its low byte is the index); those
// resolve to the usual desktop scheme (7, menu text: black; 15, button face: light grey).
QColor ToQColor(Colour colour);

// Draws the chosen borders on all four sides of `rect`.
void DrawEdge(QPainter& painter, const EdgeRect& rect, int edge);

}  // namespace zeb
