#include "ui/Accessibility.h"

#include <QAccessibleWidget>
#include <algorithm>
#include <cstdint>
#include <limits>

#include "ui/PanelLabel.h"
#include "ui/ShapeWidget.h"
#include "ui/Slider.h"
#include "ui/SpectrumView.h"

namespace zeb {

namespace {

// A widget's interface with a value: the value interface is handed out with the widget's own.
class ValuedWidget : public QAccessibleWidget, public QAccessibleValueInterface {
  public:
    using QAccessibleWidget::QAccessibleWidget;

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface && HasValue()) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value && HasValue()) {
            return currentValue().toString();
        }
        return QAccessibleWidget::text(kind);
    }
    QVariant minimumStepSize() const override { return 1; }

  protected:
    virtual bool HasValue() const { return true; }
};

class SliderInterface : public ValuedWidget {
  public:
    explicit SliderInterface(Slider* slider) : ValuedWidget(slider, QAccessible::Slider) {}

    QVariant currentValue() const override { return Control()->Value(); }
    QVariant minimumValue() const override { return Control()->Min(); }
    QVariant maximumValue() const override { return Control()->Max(); }
    void setCurrentValue(const QVariant& value) override { Control()->DragToValue(value.toInt()); }

    QStringList actionNames() const override {
        return QStringList{increaseAction(), decreaseAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == increaseAction() || action == decreaseAction()) {
            const int64_t step = action == increaseAction() ? 1 : -1;
            const int64_t target = std::clamp<int64_t>(int64_t{Control()->Value()} + step,
                                                       std::numeric_limits<int32_t>::min(),
                                                       std::numeric_limits<int32_t>::max());
            Control()->DragToValue(static_cast<int32_t>(target));
            return;
        }
        QAccessibleWidget::doAction(action);
    }

  private:
    Slider* Control() const { return static_cast<Slider*>(widget()); }
};

QAccessible::Role RoleOf(PanelRole role) {
    switch (role) {
        case PanelRole::Indicator:
            return QAccessible::Indicator;
        case PanelRole::Button:
        case PanelRole::Switch:
            return QAccessible::Button;
        case PanelRole::Spin:
            return QAccessible::SpinBox;
        case PanelRole::Static:
            break;
    }
    return QAccessible::StaticText;
}

class PanelLabelInterface : public ValuedWidget {
  public:
    explicit PanelLabelInterface(PanelLabel* label) : ValuedWidget(label) {}

    QAccessible::Role role() const override { return RoleOf(Control()->Role()); }
    QString text(QAccessible::Text kind) const override {
        QString shown = ValuedWidget::text(kind);
        if (kind == QAccessible::Name && shown.isEmpty()) {
            // Captions keep the blanks that belong to them ("USB FTDI "); a reader needs none.
            shown = Control()->text().trimmed();
        }
        return shown;
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (Control()->Role() == PanelRole::Switch) {
            state.checkable = true;
            state.checked = Control()->SwitchedOn();
        }
        return state;
    }

    QVariant currentValue() const override { return Control()->ShownNumber(); }
    QVariant minimumValue() const override { return Control()->SpinLowest(); }
    QVariant maximumValue() const override { return Control()->SpinHighest(); }
    void setCurrentValue(const QVariant& value) override {
        Control()->Step(value.toInt() - Control()->ShownNumber());
    }

    QStringList actionNames() const override {
        QStringList actions;
        if (Clickable()) {
            actions << pressAction();
        } else if (HasValue()) {
            actions << increaseAction() << decreaseAction();
        }
        return actions + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (Clickable() && action == pressAction()) {
            Control()->ActAsClicked();
        } else if (HasValue() && (action == increaseAction() || action == decreaseAction())) {
            Control()->Step(action == increaseAction() ? 1 : -1);
        } else {
            QAccessibleWidget::doAction(action);
        }
    }

  protected:
    bool HasValue() const override { return Control()->Role() == PanelRole::Spin; }

  private:
    bool Clickable() const {
        return Control()->Role() == PanelRole::Button || Control()->Role() == PanelRole::Switch;
    }
    PanelLabel* Control() const { return static_cast<PanelLabel*>(widget()); }
};

class ShapeInterface : public QAccessibleWidget {
  public:
    explicit ShapeInterface(ShapeWidget* shape)
        : QAccessibleWidget(shape, QAccessible::Indicator) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        const std::optional<bool> lit = Control()->Lit();
        if (!lit) {
            state.invisible = true;
        } else {
            state.checkable = true;
            state.checked = *lit;
        }
        return state;
    }
    QString text(QAccessible::Text kind) const override {
        const std::optional<bool> lit = Control()->Lit();
        if (kind == QAccessible::Value && lit) {
            return *lit ? QStringLiteral("lit") : QStringLiteral("dark");
        }
        return QAccessibleWidget::text(kind);
    }

  private:
    ShapeWidget* Control() const { return static_cast<ShapeWidget*>(widget()); }
};

class MeterInterface : public ValuedWidget {
  public:
    explicit MeterInterface(MeterReading* meter) : ValuedWidget(meter, QAccessible::Indicator) {}

    QVariant currentValue() const override { return Control()->LitSegments(); }
    QVariant minimumValue() const override { return 0; }
    QVariant maximumValue() const override { return Control()->Segments(); }
    // The meter shows the input; it cannot be set.
    void setCurrentValue(const QVariant& /*value*/) override {}

  private:
    MeterReading* Control() const { return static_cast<MeterReading*>(widget()); }
};

class SpectrumInterface : public QAccessibleWidget, public QAccessibleImageInterface {
  public:
    explicit SpectrumInterface(SpectrumView* view)
        : QAccessibleWidget(view, QAccessible::Graphic) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ImageInterface) {
            return static_cast<QAccessibleImageInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }
    QString imageDescription() const override { return text(QAccessible::Description); }
    QSize imageSize() const override { return widget()->size(); }
    QPoint imagePosition() const override { return rect().topLeft(); }
};

QAccessibleInterface* PanelInterface(const QString& /*className*/, QObject* object) {
    if (auto* slider = qobject_cast<Slider*>(object)) {
        return new SliderInterface(slider);
    }
    if (auto* label = qobject_cast<PanelLabel*>(object)) {
        return new PanelLabelInterface(label);
    }
    if (auto* shape = qobject_cast<ShapeWidget*>(object)) {
        return new ShapeInterface(shape);
    }
    if (auto* meter = qobject_cast<MeterReading*>(object)) {
        return new MeterInterface(meter);
    }
    if (auto* spectrum = qobject_cast<SpectrumView*>(object)) {
        return new SpectrumInterface(spectrum);
    }
    return nullptr;
}

}  // namespace

void InstallAccessibility() {
    // Qt keeps a list of factories and asks each in turn: one entry is enough.
    static const bool installed = [] {
        QAccessible::installFactory(PanelInterface);
        return true;
    }();
    (void)installed;
}

}  // namespace zeb
