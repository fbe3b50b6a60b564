#include "ui/PanelLabel.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/EdgeDrawing.h"

namespace zeb {

namespace {

// Steps for a key on a spin; 0 for any other key.
int SpinSteps(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Plus:
            return 1;
        case Qt::Key_Down:
        case Qt::Key_Minus:
            return -1;
        default:
            return 0;
    }
}

bool IsClickKey(int key) {
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

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

void PanelLabel::SetRole(PanelRole role) {
    role_ = role;
    const bool control =
        role == PanelRole::Button || role == PanelRole::Switch || role == PanelRole::Spin;
    setFocusPolicy(control ? Qt::StrongFocus : Qt::NoFocus);
}

void PanelLabel::SetSwitchedOn(bool on) {
    if (on == switchedOn_) {
        return;
    }
    switchedOn_ = on;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void PanelLabel::SetSpinRange(int lowest, int highest) {
    spinLowest_ = lowest;
    spinHighest_ = highest;
}

void PanelLabel::SetShownText(const QString& shown) {
    if (shown == text()) {
        return;
    }
    setText(shown);
    if (role_ == PanelRole::Spin) {
        QAccessibleValueChangeEvent event(this, ShownNumber());
        QAccessible::updateAccessibility(&event);
    }
}

void PanelLabel::ActAsClicked() {
    emit Pressed(Qt::LeftButton);
    emit Clicked();
}

void PanelLabel::Step(int steps) {
    emit Stepped(steps);
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

void PanelLabel::keyPressEvent(QKeyEvent* event) {
    const bool clickable = role_ == PanelRole::Button || role_ == PanelRole::Switch;
    if (clickable && IsClickKey(event->key())) {
        event->accept();
        focusMark_.KeyUsed(*this);
        // A held key is one click, not a switch flickering on and off.
        if (!event->isAutoRepeat()) {
            ActAsClicked();
        }
        return;
    }
    if (const int steps = SpinSteps(event->key()); role_ == PanelRole::Spin && steps != 0) {
        event->accept();
        focusMark_.KeyUsed(*this);
        Step(steps);
        return;
    }
    QLabel::keyPressEvent(event);
}

void PanelLabel::focusInEvent(QFocusEvent* event) {
    focusMark_.FocusIn(event->reason());
    QLabel::focusInEvent(event);
    if (FocusMovedWithinWindow(event->reason())) {
        emit FocusChanged(true, event->reason());
    }
}

void PanelLabel::focusOutEvent(QFocusEvent* event) {
    focusMark_.FocusOut(event->reason());
    QLabel::focusOutEvent(event);
    if (FocusMovedWithinWindow(event->reason())) {
        emit FocusChanged(false, event->reason());
    }
}

void PanelLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    // A second painter only for the mark: the indicators repaint with every change of the lamps.
    if (focusMark_.Shown(*this)) {
        QPainter painter(this);
        focusMark_.Paint(painter, *this);
    }
}

}  // namespace zeb
