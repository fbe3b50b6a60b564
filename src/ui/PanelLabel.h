#pragma once
// A caption, picture or plain block on the panel. It keeps the pointer input that reaches it,
// as the window's own controls do: presses and moves over it never count as the background's.
//
// Its role says what it is to the user: whether it takes the keyboard focus, which keys work
// it and what it reports to assistive technology (see Accessibility.h).

#include <QLabel>

#include "engine/ModelValues.h"
#include "ui/FocusMark.h"

namespace zeb {

enum class PanelRole {
    Static,  // a caption or a decoration without behaviour
    Button,  // acts on a click
    Switch,  // switches something on and off
    Spin,    // a number changed in steps (a band caption)
};

class PanelLabel : public QLabel {
    Q_OBJECT

  public:
    explicit PanelLabel(QWidget* parent);

    // Text colour (0x00BBGGRR).
    void SetTextColour(Colour colour);
    Colour TextColour() const { return textColour_; }
    // An opaque block of one colour instead of a transparent caption.
    void SetFill(Colour colour);

    // Buttons, switches and spins take the keyboard focus, by Tab and by a click.
    void SetRole(PanelRole role);
    PanelRole Role() const { return role_; }
    // A switch's state; a change is announced to assistive technology.
    void SetSwitchedOn(bool on);
    bool SwitchedOn() const { return switchedOn_; }
    // Shows a new text; a spin announces its new value.
    void SetShownText(const QString& text);
    // The whole number a spin shows (0 for text that is none), and the numbers it can show.
    int ShownNumber() const { return text().trimmed().toInt(); }
    void SetSpinRange(int lowest, int highest);
    int SpinLowest() const { return spinLowest_; }
    int SpinHighest() const { return spinHighest_; }

    // What the keyboard (Space or Enter) and assistive technology do to a button or switch:
    // a left press and release on it, raising Pressed and then Clicked.
    void ActAsClicked();
    // Up/Down, +/- on a spin (and assistive technology): `steps` whole steps up or down.
    void Step(int steps);

  signals:
    // The pointer moved over the label (with or without a button held).
    void Hovered();
    // Any button went down on it.
    void Pressed(Qt::MouseButton button);
    // The left button went down and came up again over it.
    void Clicked();
    // A spin was stepped up (positive) or down.
    void Stepped(int steps);
    // The keyboard focus came to the label or left it for another control of the window.
    void FocusChanged(bool focused, Qt::FocusReason reason);

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    Colour textColour_ = colours::Grey;
    bool leftHeld_ = false;
    PanelRole role_ = PanelRole::Static;
    bool switchedOn_ = false;
    int spinLowest_ = 0;
    int spinHighest_ = 0;
    FocusMark focusMark_;
};

}  // namespace zeb
