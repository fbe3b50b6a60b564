#pragma once
// A filled rectangle or circle on the panel (lamps and meter segments). Shapes take no pointer
// input: a press or move over one belongs to the window background.

#include <QWidget>

#include "engine/ModelValues.h"

namespace zeb {

class ShapeWidget : public QWidget {
    Q_OBJECT

  public:
    enum class Form { Rectangle, Circle };

    ShapeWidget(Form form, Colour fill, QWidget* parent);

    void SetFill(Colour fill);
    Colour Fill() const { return fill_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Form form_;
    Colour fill_;
};

}  // namespace zeb
