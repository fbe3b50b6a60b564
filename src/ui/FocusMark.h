#pragma once
// The dotted frame that shows which of the panel's own controls has the keyboard focus. As on
// the classic desktop the panel imitates, it appears once the keyboard is in use: a control
// focused by a click, or by the window's activation alone, shows none until Tab or another key
// reaches it. Mouse users therefore see the panel exactly as before.

#include <QPainter>
#include <QWidget>

namespace zeb {

// Focus that leaves with the window, or for an open list, comes back to the same control.
inline bool FocusMovedWithinWindow(Qt::FocusReason reason) {
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

class FocusMark {
  public:
    void FocusIn(Qt::FocusReason reason);
    void FocusOut(Qt::FocusReason reason);
    // A key reached the control: from now on its focus is shown.
    void KeyUsed(QWidget& control);
    // Whether `control` shows the mark: it has the focus and the focus is to be shown.
    bool Shown(const QWidget& control) const { return byKeyboard_ && control.hasFocus(); }
    // Draws the mark over `control` when it shows it.
    void Paint(QPainter& painter, const QWidget& control) const;
    // The same round `box`: the part of `control` that holds the focus within it.
    void Paint(QPainter& painter, const QWidget& control, const QRect& box) const;

  private:
    bool byKeyboard_ = false;
};

}  // namespace zeb
