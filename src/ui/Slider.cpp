#include "ui/Slider.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/SliderMath.h"

namespace zeb {

namespace {

// Sizes the layout uses when a picture is missing.
constexpr int kEmptyThumbSize = 16;
constexpr int kEmptyRailWidth = 8;
constexpr int kEmptyRailHeight = 17;

int ShiftState(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        shift |= 1;
    }
    if (modifiers.testFlag(Qt::ControlModifier)) {
        shift |= 2;
    }
    if (modifiers.testFlag(Qt::AltModifier)) {
        shift |= 4;
    }
    return shift;
}

}  // namespace

Slider::Slider(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The control keeps its pointer input: presses and moves over it never reach the window
    // behind (which would otherwise start a window move or reset its hover colours).
    setAttribute(Qt::WA_NoMousePropagation);
    setFocusPolicy(Qt::StrongFocus);
    ParkThumb();
}

int Slider::ThumbWidth() const {
    return thumbImage_.isNull() ? kEmptyThumbSize : thumbImage_.width();
}

int Slider::ThumbHeight() const {
    return thumbImage_.isNull() ? kEmptyThumbSize : thumbImage_.height();
}

int Slider::RailWidth() const {
    return railImage_.isNull() ? kEmptyRailWidth : railImage_.width();
}

int Slider::RailHeight() const {
    return railImage_.isNull() ? kEmptyRailHeight : railImage_.height();
}

int Slider::Travel() const {
    return Horizontal() ? width() - ThumbWidth() : height() - ThumbHeight();
}

QSize Slider::sizeHint() const {
    return size();
}

void Slider::SetBackColor(Colour colour) {
    backColor_ = colour;
    Redraw();
}

bool Slider::SetMin(int32_t min) {
    if (min >= max_) {
        return false;
    }
    min_ = min;
    SetValue(min);
    range_ = max_ - min_;
    return true;
}

bool Slider::SetMax(int32_t max) {
    if (min_ >= max) {
        return false;
    }
    max_ = max;
    range_ = max_ - min_;
    return true;
}

bool Slider::SetValue(int32_t value) {
    if (value < min_ || value > max_) {
        return false;
    }
    value_ = value;
    if (value != lastValue_) {
        if (!dragging_) {
            PlaceThumbFor(value);
        }
        Redraw();
        lastValue_ = value;
        QAccessibleValueChangeEvent announcement(this, value);
        QAccessible::updateAccessibility(&announcement);
        RaiseChangeEvents(value);
    }
    return true;
}

void Slider::RaiseChangeEvents(int32_t v) {
    emit Change();
    if (v == max_) {
        emit ArrivedLast();
    }
    if (v == min_) {
        emit ArrivedFirst();
    }
}

void Slider::SetOrientation(int32_t orientation) {
    orientation_ = orientation;
    ParkThumb();
    Layout();
}

void Slider::SetRailStyle(int32_t style) {
    railStyle_ = style;
    Layout();
}

void Slider::SetSliderImage(const QImage& image) {
    thumbImage_ = image;
    Layout();
}

void Slider::SetRailImage(const QImage& image) {
    railImage_ = image;
    Layout();
}

bool Slider::PlaceThumbFor(int32_t v) {
    if (range_ == 0) {
        return false;
    }
    const double travel = Travel();
    const double along = travel * (static_cast<double>(v) - min_) / range_;
    if (Horizontal()) {
        thumbLeft_ = static_cast<float>(along);
    } else if (Vertical()) {
        thumbTop_ = static_cast<float>(travel - along);
    }
    return true;
}

int32_t Slider::ValueFromThumb() {
    const int travel = Travel();
    if (travel == 0 || range_ == 0) {
        // The position cannot be turned into a value; with a zero range the thumb stays put,
        // with zero travel its only position is 0.
        PlaceThumbFor(0);
        return 0;
    }
    int32_t v = 0;
    if (Horizontal()) {
        v = RoundHalfEven(static_cast<double>(thumbLeft_) / travel * range_ + min_);
    } else if (Vertical()) {
        v = RoundHalfEven((travel - static_cast<double>(thumbTop_)) / travel * range_ + min_);
    }
    PlaceThumbFor(v);
    return v;
}

void Slider::ParkThumb() {
    thumbLeft_ = 0.0f;
    thumbTop_ = Horizontal() ? 0.0f : static_cast<float>(height() - ThumbHeight());
}

void Slider::Layout() {
    const bool pictureMode = PictureMode();
    QSize wanted = size();
    if (pictureMode && Horizontal()) {
        wanted = QSize(RailWidth(), std::max(RailHeight(), ThumbHeight()));
    } else if (pictureMode && Vertical()) {
        wanted = QSize(std::max(RailWidth(), ThumbWidth()), RailHeight());
    } else if (Horizontal()) {
        wanted = QSize(width() == 0 ? ThumbWidth() : width(), ThumbHeight());
    } else if (Vertical()) {
        wanted = QSize(ThumbWidth(), height() == 0 ? ThumbHeight() : height());
    }
    if (wanted != size()) {
        // Runs Layout again through resizeEvent; that pass finds the size right.
        resize(wanted);
    }

    const bool centreOnRail = railStyle_ == kRailPicture && !railImage_.isNull();
    if (Horizontal()) {
        thumbTop_ = centreOnRail && ThumbHeight() < RailHeight()
                        ? static_cast<float>(Halved(RailHeight() - ThumbHeight()))
                        : 0.0f;
        PlaceThumbFor(value_);
    } else if (Vertical()) {
        thumbLeft_ = centreOnRail && ThumbWidth() < RailWidth()
                         ? static_cast<float>(Halved(RailWidth() - ThumbWidth()))
                         : 0.0f;
        PlaceThumbFor(value_);
    }

    if (Horizontal()) {
        const int left = Halved(ThumbWidth());
        const int middle = Halved(ThumbHeight());
        railRect_ = {left, middle, RoundHalfEven(width() + left - ThumbWidth()), middle};
    } else {
        const int centre = Halved(ThumbWidth());
        const int top = Halved(ThumbHeight());
        railRect_ = {centre, top, centre, RoundHalfEven(height() + top - ThumbHeight())};
    }
    Redraw();
}

void Slider::Redraw() {
    ++redrawCount_;
    picture_ = QImage(size(), QImage::Format_RGB32);
    if (picture_.isNull()) {
        update();
        return;
    }
    picture_.fill(ToQColor(backColor_));
    QPainter painter(&picture_);

    if (railStyle_ == kRailPicture) {
        if (!railImage_.isNull() && Horizontal()) {
            painter.drawImage(0, Halved(height() - RailHeight()), railImage_);
        } else if (!railImage_.isNull() && Vertical()) {
            painter.drawImage(Halved(width() - RailWidth()), 0, railImage_);
        }
    } else if (railStyle_ >= kRailSunken && railStyle_ <= kRailNoEdge) {
        static constexpr int kEdges[] = {kEdgeSunken, kEdgeRaised, kEdgeSunkenOuter,
                                         kEdgeRaisedInner, 0};
        DrawEdge(painter, railRect_, kEdges[railStyle_]);
    }

    if (!thumbImage_.isNull()) {
        painter.drawImage(RoundHalfEven(thumbLeft_), RoundHalfEven(thumbTop_), thumbImage_);
    } else {
        thumbRect_ = {RoundHalfEven(thumbLeft_), RoundHalfEven(thumbTop_),
                      RoundHalfEven(ThumbWidth() + thumbLeft_),
                      RoundHalfEven(ThumbHeight() + thumbTop_)};
        painter.fillRect(QRect(QPoint(thumbRect_.left, thumbRect_.top),
                               QPoint(thumbRect_.right - 1, thumbRect_.bottom - 1)),
                         ToQColor(kButtonFaceColour));
        DrawEdge(painter, thumbRect_, kEdgeRaised);
    }
    update();
}

void Slider::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(backColor_));
    painter.drawImage(0, 0, picture_);
    if (!enabled_) {
        painter.fillRect(rect(), QColor(64, 64, 64, 160));
    }
    // Over the picture, never in it: the persistent drawing is the slider's alone.
    focusMark_.Paint(painter, *this);
}

void Slider::resizeEvent(QResizeEvent* /*event*/) {
    Layout();
}

void Slider::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (!enabled_ || event->button() != Qt::LeftButton) {
        return;
    }
    const int shift = ShiftState(event->modifiers());
    const auto x = static_cast<float>(event->position().x());
    const auto y = static_cast<float>(event->position().y());
    dragging_ = true;
    const bool onThumb = thumbLeft_ <= x && x < thumbLeft_ + ThumbWidth() && thumbTop_ <= y &&
                         y < thumbTop_ + ThumbHeight();
    if (onThumb) {
        grabX_ = x - thumbLeft_;
        grabY_ = y - thumbTop_;
    } else {
        // The thumb jumps so that its centre lies under the pointer.
        grabX_ = static_cast<float>(Halved(ThumbWidth()));
        grabY_ = static_cast<float>(Halved(ThumbHeight()));
        DragTo(x, y, shift);
    }
    emit MouseDown(shift);
}

void Slider::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (dragging_) {
        DragTo(static_cast<float>(event->position().x()), static_cast<float>(event->position().y()),
               ShiftState(event->modifiers()));
    }
}

void Slider::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const int shift = ShiftState(event->modifiers());
    const double x = event->position().x();
    const double y = event->position().y();
    if (event->button() == Qt::LeftButton && x >= 0 && x < width() && y >= 0 && y < height()) {
        emit Click();
    }
    if (dragging_) {
        emit MouseUp(shift);
    }
    dragging_ = false;
}

void Slider::DragTo(float x, float y, int shift) {
    const auto travel = static_cast<float>(Travel());
    const float drawnLeft = thumbLeft_;
    const float drawnTop = thumbTop_;
    if (Horizontal()) {
        thumbLeft_ = std::clamp(x - grabX_, 0.0f, std::max(travel, 0.0f));
    } else if (Vertical()) {
        thumbTop_ = std::clamp(y - grabY_, 0.0f, std::max(travel, 0.0f));
    }
    int32_t v = ValueFromThumb();
    // With no travel or no range the position gives no value; keep the drag within the range
    // rather than asking for a value the setter must refuse.
    if (min_ <= max_) {
        v = std::clamp(v, min_, max_);
    }
    ShowDraggedValue(v, drawnLeft, drawnTop);
    emit MouseMove(shift);
}

void Slider::ShowDraggedValue(int32_t v, float drawnLeft, float drawnTop) {
    const uint64_t redrawsBefore = redrawCount_;
    SetValue(v);
    // The thumb can snap to a new place while the value stays (after Max was lowered below
    // it, say); the picture must still show where the thumb is.
    if (redrawCount_ == redrawsBefore && (thumbLeft_ != drawnLeft || thumbTop_ != drawnTop)) {
        Redraw();
    }
}

void Slider::DragToValue(int32_t value, int shift) {
    // A key during a mouse drag would end that drag under the user's hand.
    if (!enabled_ || dragging_ || min_ > max_) {
        return;
    }
    value = std::clamp(value, min_, max_);
    dragging_ = true;
    emit MouseDown(shift);
    const float drawnLeft = thumbLeft_;
    const float drawnTop = thumbTop_;
    PlaceThumbFor(value);
    ShowDraggedValue(value, drawnLeft, drawnTop);
    emit MouseMove(shift);
    emit Click();
    emit MouseUp(shift);
    dragging_ = false;
}

std::optional<int32_t> Slider::KeyTarget(int key) const {
    // Wide arithmetic: a step beyond an end of the int32 range is still only held at the end.
    const int64_t page = std::max<int64_t>(1, RoundHalfEven(static_cast<double>(range_) / 5));
    int64_t target = value_;
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Right:
            target += 1;
            break;
        case Qt::Key_Down:
        case Qt::Key_Left:
            target -= 1;
            break;
        case Qt::Key_PageUp:
            target += page;
            break;
        case Qt::Key_PageDown:
            target -= page;
            break;
        case Qt::Key_Home:
            target = min_;
            break;
        case Qt::Key_End:
            target = max_;
            break;
        default:
            return std::nullopt;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(target, min_, std::max(min_, max_)));
}

void Slider::keyPressEvent(QKeyEvent* event) {
    const std::optional<int32_t> target = KeyTarget(event->key());
    if (!target) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    focusMark_.KeyUsed(*this);
    DragToValue(*target, ShiftState(event->modifiers()));
}

void Slider::focusInEvent(QFocusEvent* event) {
    focusMark_.FocusIn(event->reason());
    QWidget::focusInEvent(event);
}

void Slider::focusOutEvent(QFocusEvent* event) {
    focusMark_.FocusOut(event->reason());
    QWidget::focusOutEvent(event);
}

}  // namespace zeb
