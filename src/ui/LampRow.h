#pragma once
// The keyboard's way to the lamps, which the window paints itself: one focus stop over the
// row of lamps. Left and Right (Home, End) choose a lamp; Enter, Return, the menu key and
// Shift+F10 ask for its colour as a right click on it does. The row paints nothing but the
// focus mark round the chosen lamp, and lets the mouse through to the window.

#include <QWidget>
#include <functional>

#include "ui/FocusMark.h"

namespace zeb {

class LampRow : public QWidget {
    Q_OBJECT

  public:
    explicit LampRow(QWidget* parent);

    // The channel whose lamp the keys act on.
    int Current() const { return current_; }
    // Whether channel `channel`'s lamp holds the keyboard focus.
    bool LampFocused(int channel) const { return hasFocus() && channel == current_; }

  signals:
    // The keys asked for the colour of channel `channel`.
    void ColourRequested(int channel);
    // Another lamp holds the focus now (also when the row takes it).
    void LampFocusChanged(int channel);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void Choose(int channel);
    // Channel `channel`'s lamp within the row, with room round it for the mark.
    QRect MarkBox(int channel) const;

    int current_ = 0;
    FocusMark focusMark_;
};

}  // namespace zeb
