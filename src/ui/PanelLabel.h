#pragma once
// A caption, picture or plain block on the panel. It keeps the pointer input that reaches it,
// as the window's own controls do: presses and moves over it never count as the background's.

#include <QLabel>

#include "engine/ModelValues.h"

namespace zeb {

class PanelLabel : public QLabel {
    Q_OBJECT

  public:
    explicit PanelLabel(QWidget* parent);

    // Text colour (0x00BBGGRR).
    void SetTextColour(Colour colour);
    Colour TextColour() const { return textColour_; }
    // An opaque block of one colour instead of a transparent caption.
    void SetFill(Colour colour);

  signals:
    // The pointer moved over the label (with or without a button held).
    void Hovered();
    // Any button went down on it.
    void Pressed(Qt::MouseButton button);
    // The left button went down and came up again over it.
    void Clicked();

  protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    Colour textColour_ = colours::Grey;
    bool leftHeld_ = false;
};

}  // namespace zeb
