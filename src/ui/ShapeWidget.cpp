#include "ui/ShapeWidget.h"

#include <QAccessible>
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

void ShapeWidget::SetLit(bool lit) {
    if (lit != lit_) {
        lit_ = lit;
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
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

MeterReading::MeterReading(int segments, QWidget* parent) : QWidget(parent), segments_(segments) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void MeterReading::SetLitSegments(int lit) {
    if (lit != lit_) {
        lit_ = lit;
        QAccessibleValueChangeEvent event(this, lit);
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace zeb
