#pragma once
// A filled rectangle or circle on the panel (lamps and meter segments), and the reading of a
// meter column. They take no pointer input: a press or move over one belongs to the window
// background.

#include <QWidget>
#include <optional>

#include "engine/ModelValues.h"

namespace zeb {

class ShapeWidget : public QWidget {
    Q_OBJECT

  public:
    enum class Form { Rectangle, Circle };

    ShapeWidget(Form form, Colour fill, QWidget* parent);

    void SetFill(Colour fill);
    Colour Fill() const { return fill_; }
    // A lamp's state, as assistive technology is told; a change is announced. A shape never
    // set has no state of its own (a meter segment: its column's MeterReading tells it).
    void SetLit(bool lit);
    std::optional<bool> Lit() const { return lit_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Form form_;
    Colour fill_;
    std::optional<bool> lit_;
};

// What a level meter column shows, for assistive technology: how many of its segments are lit.
// It lies over the column but draws nothing and lets the pointer through to the window.
class MeterReading : public QWidget {
    Q_OBJECT

  public:
    MeterReading(int segments, QWidget* parent);

    int Segments() const { return segments_; }
    int LitSegments() const { return lit_; }
    // A change is announced.
    void SetLitSegments(int lit);

  private:
    int segments_;
    int lit_ = 0;
};

}  // namespace zeb
