#include "ui/PanelLabel.h"

#include <QMouseEvent>

#include "ui/EdgeDrawing.h"

namespace zeb {

PanelLabel::PanelLabel(QWidget* parent) : QLabel(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_NoMousePropagation);
    SetTextColour(colours::Grey);
}

void PanelLabel::SetTextColour(Colour colour) {
    if (colour == textColour_ && palette().color(QPalette::WindowText) == ToQColor(colour)) {
        return;
    }
    textColour_ = colour;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, ToQColor(colour));
    setPalette(p);
}

void PanelLabel::SetFill(Colour colour) {
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(colour));
    setPalette(p);
    setAutoFillBackground(true);
}

void PanelLabel::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit Hovered();
}

void PanelLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        leftHeld_ = true;
    }
    emit Pressed(event->button());
}

void PanelLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const bool clicked = leftHeld_ && rect().contains(event->position().toPoint());
    leftHeld_ = false;
    if (clicked) {
        emit Clicked();
    }
}

void PanelLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is the double click itself, neither a press nor the
    // start of a click: a double-clicked toggle switches once, not on and off again.
    event->accept();
    leftHeld_ = false;
}

}  // namespace zeb
