#include "ui/LampRow.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

#include "ui/PanelLights.h"

namespace zeb {

namespace {

// The mark lies this far outside a lamp, clear of its rim.
constexpr int kMarkMargin = 2;

QRect LampBox(int channel) {
    return PanelLights::Box({PanelLight::Kind::Lamp, channel});
}

bool AsksForColour(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Menu:
            return true;
        case Qt::Key_F10:
            return event.modifiers() == Qt::ShiftModifier;
        default:
            return false;
    }
}

}  // namespace

LampRow::LampRow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Lamps"));
    setGeometry(LampBox(0)
                    .united(LampBox(kChannelCount - 1))
                    .adjusted(-kMarkMargin, -kMarkMargin, kMarkMargin, kMarkMargin));
    setFocusPolicy(Qt::TabFocus);
    // Presses, moves and the wheel belong to the window, as over any lamp.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(QStringLiteral("Lamps"));
}

QRect LampRow::MarkBox(int channel) const {
    return LampBox(channel).translated(-pos()).adjusted(-kMarkMargin, -kMarkMargin, kMarkMargin,
                                                        kMarkMargin);
}

void LampRow::Choose(int channel) {
    channel = std::clamp(channel, 0, kChannelCount - 1);
    if (channel == current_) {
        return;
    }
    update(MarkBox(current_));
    current_ = channel;
    update(MarkBox(current_));
    emit LampFocusChanged(current_);
}

void LampRow::paintEvent(QPaintEvent* /*event*/) {
    if (focusMark_.Shown(*this)) {
        QPainter painter(this);
        focusMark_.Paint(painter, *this, MarkBox(current_));
    }
}

void LampRow::keyPressEvent(QKeyEvent* event) {
    if (AsksForColour(*event)) {
        event->accept();
        focusMark_.KeyUsed(*this);
        if (!event->isAutoRepeat()) {
            emit ColourRequested(current_);
        }
        return;
    }
    const int key = event->key();
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End) {
        event->accept();
        focusMark_.KeyUsed(*this);
        Choose(key == Qt::Key_Home    ? 0
               : key == Qt::Key_End   ? kChannelCount - 1
               : key == Qt::Key_Right ? current_ + 1
                                      : current_ - 1);
        return;
    }
    QWidget::keyPressEvent(event);
}

void LampRow::contextMenuEvent(QContextMenuEvent* event) {
    // The menu key, where the platform turns it into a context menu request; the mouse
    // never reaches the row.
    event->accept();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        emit ColourRequested(current_);
    }
}

void LampRow::focusInEvent(QFocusEvent* event) {
    focusMark_.FocusIn(event->reason());
    QWidget::focusInEvent(event);
    emit LampFocusChanged(current_);
}

void LampRow::focusOutEvent(QFocusEvent* event) {
    focusMark_.FocusOut(event->reason());
    QWidget::focusOutEvent(event);
}

}  // namespace zeb
