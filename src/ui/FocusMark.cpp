#include "ui/FocusMark.h"

#include "ui/EdgeDrawing.h"

namespace zeb {

void FocusMark::FocusIn(Qt::FocusReason reason) {
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
        reason == Qt::ShortcutFocusReason) {
        byKeyboard_ = true;
    } else if (reason == Qt::MouseFocusReason) {
        byKeyboard_ = false;
    }
}

void FocusMark::FocusOut(Qt::FocusReason reason) {
    if (FocusMovedWithinWindow(reason)) {
        byKeyboard_ = false;
    }
}

void FocusMark::KeyUsed(QWidget& control) {
    if (!byKeyboard_) {
        byKeyboard_ = true;
        control.update();
    }
}

void FocusMark::Paint(QPainter& painter, const QWidget& control) const {
    Paint(painter, control, control.rect());
}

void FocusMark::Paint(QPainter& painter, const QWidget& control, const QRect& box) const {
    if (!Shown(control)) {
        return;
    }
    // Blue and white dots: the captions' highlight colour, visible on the grey panels, on the
    // black strips and over blue text alike.
    const QRect frame = box.adjusted(0, 0, -1, -1);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 0));
    painter.drawRect(frame);
    QPen dots(ToQColor(colours::Blue), 0);
    dots.setDashPattern({1.0, 1.0});
    painter.setPen(dots);
    painter.drawRect(frame);
}

}  // namespace zeb
