#pragma once
// The program's own slider: a rail and a draggable thumb, horizontal or vertical, with an
// integer value between Min and Max. It draws itself from pictures (rail and thumb) or with
// 3-D edges, into a persistent picture that is repainted as it stands until the next Redraw.
//
// Refused sets (an out-of-order Min or Max, a Value outside Min..Max) keep every stored value
// as it was and return false; the caller sees the refusal in the result. Nothing throws.
//
// Events are Qt signals on direct connections, raised synchronously inside the property setter
// or the mouse handler that causes them, in this order: Change, ArrivedLast, ArrivedFirst for
// a new value; Click, MouseUp on release; MouseMove after a drag step, MouseDown after a press.
//
// The slider takes the keyboard focus (Tab or a click). Up/Right and Down/Left move it one
// step, Page Up/Page Down a fifth of the range, Home/End to Min/Max; each key acts as a drag
// of the thumb to that value (see DragToValue), so its container cannot tell it from the mouse.

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "engine/ModelValues.h"
#include "ui/EdgeDrawing.h"
#include "ui/FocusMark.h"

namespace zeb {

constexpr int32_t kHorizontal = 0;
constexpr int32_t kVertical = 1;

// Rail styles: 0..4 draw the rail with 3-D edges, 99 draws the rail picture and sizes the
// control to it, any other value draws no rail.
constexpr int32_t kRailSunken = 0;
constexpr int32_t kRailRaised = 1;
constexpr int32_t kRailThinSunken = 2;
constexpr int32_t kRailThinRaised = 3;
constexpr int32_t kRailNoEdge = 4;
constexpr int32_t kRailPicture = 99;

// 0x8000000F: the system's button face.
constexpr Colour kButtonFaceColour = 0x8000000F;

class Slider : public QWidget {
    Q_OBJECT

  public:
    explicit Slider(QWidget* parent = nullptr);

    Colour BackColor() const { return backColor_; }
    void SetBackColor(Colour colour);

    // While false a press starts no drag and raises no MouseDown, and the slider is drawn
    // greyed. Unlike QWidget::setEnabled it does not stop the release from raising Click.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) {
        if (enabled != enabled_) {
            enabled_ = enabled;
            update();
        }
    }

    int32_t Min() const { return min_; }
    int32_t Max() const { return max_; }
    int32_t Value() const { return value_; }
    // False (error 380, invalid property value) when new Min >= Max; otherwise Value is reset to
    // the new Min through SetValue, events included.
    bool SetMin(int32_t min);
    // False when Min >= new Max. Value and the thumb are left alone, even above the new Max.
    bool SetMax(int32_t max);
    // False when the value lies outside Min..Max.
    bool SetValue(int32_t value);

    int32_t Orientation() const { return orientation_; }
    void SetOrientation(int32_t orientation);
    int32_t RailStyle() const { return railStyle_; }
    void SetRailStyle(int32_t style);
    const QImage& SliderImage() const { return thumbImage_; }
    void SetSliderImage(const QImage& image);
    const QImage& RailImage() const { return railImage_; }
    void SetRailImage(const QImage& image);

    // What a key or assistive technology does: the events of a drag that grabs the thumb,
    // moves it to `value` (held within Min..Max) and lets go over it: MouseDown, then Change,
    // ArrivedLast, ArrivedFirst as for any new value, MouseMove, Click, MouseUp. Nothing while
    // Enabled is false (as for a press) or while the mouse drags the thumb.
    void DragToValue(int32_t value, int shift = 0);

    // Thumb position in pixels (floating point: the thumb is not rounded to whole pixels).
    float ThumbLeft() const { return thumbLeft_; }
    float ThumbTop() const { return thumbTop_; }
    int ThumbWidth() const;
    int ThumbHeight() const;
    bool Dragging() const { return dragging_; }

    // Puts the thumb at the start of its travel (left, or bottom for a vertical slider)
    // without changing the value.
    void ParkThumb();
    // Sizes the control to its pictures, places the thumb for the value and redraws.
    void Layout();
    // Rebuilds the persistent picture from the current state.
    void Redraw();

    // The persistent drawing shown on screen, and how many times it has been rebuilt.
    const QImage& Picture() const { return picture_; }
    uint64_t RedrawCount() const { return redrawCount_; }

    QSize sizeHint() const override;

  signals:
    void Click();
    void ArrivedFirst();
    void ArrivedLast();
    void Change();
    // shift: modifier keys of the mouse event, 1 Shift + 2 Ctrl + 4 Alt.
    void MouseDown(int shift);
    void MouseUp(int shift);
    void MouseMove(int shift);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    bool Horizontal() const { return orientation_ == kHorizontal; }
    bool Vertical() const { return orientation_ == kVertical; }
    bool PictureMode() const { return railStyle_ == kRailPicture && !railImage_.isNull(); }
    int RailWidth() const;
    int RailHeight() const;
    // Travel of the thumb along the slider, in pixels.
    int Travel() const;
    // Moves the thumb to the position of value v; false (thumb unchanged) when Range is 0.
    bool PlaceThumbFor(int32_t v);
    int32_t ValueFromThumb();
    void DragTo(float x, float y, int shift);
    // Sets the value the dragged thumb now shows; redraws also when only the thumb moved.
    void ShowDraggedValue(int32_t v, float drawnLeft, float drawnTop);
    // The value a key moves the slider to; none for keys the slider does not take.
    std::optional<int32_t> KeyTarget(int key) const;
    void RaiseChangeEvents(int32_t v);

    Colour backColor_ = kButtonFaceColour;
    bool enabled_ = true;
    int32_t min_ = 0;
    int32_t max_ = 10;
    int32_t value_ = 0;
    int32_t range_ = 10;
    int32_t lastValue_ = 0;
    int32_t orientation_ = kVertical;
    int32_t railStyle_ = kRailSunken;
    QImage thumbImage_;
    QImage railImage_;

    bool dragging_ = false;
    float grabX_ = 0.0f;
    float grabY_ = 0.0f;
    float thumbLeft_ = 0.0f;
    float thumbTop_ = 0.0f;
    EdgeRect railRect_;
    EdgeRect thumbRect_;

    QImage picture_;
    uint64_t redrawCount_ = 0;
    FocusMark focusMark_;
};

}  // namespace zeb
