#include "ui/ShapeWidget.h"

#include <QPainter>

#include "ui/EdgeDrawing.h"

namespace zeb {

ShapeWidget::ShapeWidget(Form form, Colour fill, QWidget* parent)
    : QWidget(parent), form_(form), fill_(fill) {
    // Pointer input passes on to the window: tracking moves reach the shape (and so its
    // parent) and the default handlers leave them unaccepted.
    setMouseTracking(true);
}

void ShapeWidget::SetFill(Colour fill) {
    if (fill != fill_) {
        fill_ = fill;
        update();
    }
}

void ShapeWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (form_ == Form::Rectangle) {
        painter.fillRect(rect(), ToQColor(fill_));
        return;
    }
    // A lamp: filled circle with a thin black rim.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(ToQColor(fill_));
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

}  // namespace zeb
