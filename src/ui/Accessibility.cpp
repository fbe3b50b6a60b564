#include "ui/Accessibility.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "ui/LampRow.h"
#include "ui/MainWindow.h"
#include "ui/PanelLabel.h"
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
        case PanelRole::Button:
            return QAccessible::Button;
        case PanelRole::Switch:
            // The toolkit's bridge has no toggle-button role: a check box is the one that
            // reads its state, off as well as on.
            return QAccessible::CheckBox;
        case PanelRole::Spin:
            return QAccessible::SpinBox;
        case PanelRole::Static:
            break;
    }
    return QAccessible::StaticText;
}

// A panel label's interface. A spin label also hands out its shown text, read only: a band
// caption on the beat has the value 32, which a reader must say as the "B" it shows.
class PanelLabelInterface : public ValuedWidget, public QAccessibleTextInterface {
  public:
    explicit PanelLabelInterface(PanelLabel* label) : ValuedWidget(label) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface && HasValue()) {
            return static_cast<QAccessibleTextInterface*>(this);
        }
        return ValuedWidget::interface_cast(type);
    }

    // The text interface: the caption as shown, with no caret and no selection.
    void selection(int /*index*/, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int /*start*/, int /*end*/) override {}
    void removeSelection(int /*index*/) override {}
    void setSelection(int /*index*/, int /*start*/, int /*end*/) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int /*position*/) override {}
    QString text(int start, int end) const override { return Shown().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(Shown().size()); }
    QRect characterRect(int /*offset*/) const override { return rect(); }
    int offsetAtPoint(const QPoint& /*point*/) const override { return 0; }
    void scrollToSubstring(int /*start*/, int /*end*/) override {}
    QString attributes(int /*offset*/, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

    QAccessible::Role role() const override { return RoleOf(Control()->Role()); }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value && HasValue()) {
            return Shown();
        }
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
    // A label that names a list (its buddy) says so.
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation match) const override {
        auto found = QAccessibleWidget::relations(match);
        if ((match & QAccessible::Labelled) != 0 && Control()->buddy() != nullptr) {
            found.append(
                {QAccessible::queryAccessibleInterface(Control()->buddy()), QAccessible::Labelled});
        }
        return found;
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
    QString Shown() const { return Control()->text().trimmed(); }
    PanelLabel* Control() const { return static_cast<PanelLabel*>(widget()); }
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

QString PartName(const PanelLight& part) {
    switch (part.kind) {
        case PanelLight::Kind::Indicator:
            return QStringLiteral("Channel %1 indicator").arg(part.index);
        case PanelLight::Kind::Lamp:
            return QStringLiteral("Channel %1 lamp").arg(part.index);
        case PanelLight::Kind::Meter:
            return part.index == 0 ? QStringLiteral("Left level meter")
                                   : QStringLiteral("Right level meter");
        case PanelLight::Kind::AutoBar:
            break;
    }
    return QStringLiteral("Channel %1 auto level").arg(part.index);
}

bool IsBar(const PanelLight& part) {
    return part.kind == PanelLight::Kind::Meter || part.kind == PanelLight::Kind::AutoBar;
}

// A lamp, indicator, meter or automatic-threshold bar: painted by the window, read as a part
// of it. Lamps and indicators are check boxes that cannot be changed, the others bars.
class PanelLightInterface : public QAccessibleInterface, public QAccessibleValueInterface {
  public:
    PanelLightInterface(MainWindow* window, PanelLight part) : window_(window), part_(part) {}

    bool isValid() const override { return !window_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return window_ ? window_->window()->windowHandle() : nullptr;
    }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
        QAccessible::Relation /*match*/) const override {
        return {};
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return window_ ? QAccessible::queryAccessibleInterface(window_.data()) : nullptr;
    }
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) {
            return PartName(part_);
        }
        if (kind == QAccessible::Value && window_) {
            return IsBar(part_) ? currentValue().toString()
                   : Lit()      ? QStringLiteral("lit")
                                : QStringLiteral("dark");
        }
        return {};
    }
    void setText(QAccessible::Text /*kind*/, const QString& /*text*/) override {}
    QRect rect() const override {
        if (!window_) {
            return {};
        }
        const QRect box = PanelLights::Box(part_);
        return {window_->mapToGlobal(box.topLeft()), box.size()};
    }
    QAccessible::Role role() const override {
        return IsBar(part_) ? QAccessible::ProgressBar : QAccessible::CheckBox;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        if (!window_ || !window_->isVisible()) {
            state.invisible = true;
        }
        if (!IsBar(part_)) {
            state.checkable = true;
            state.checked = Lit();
        }
        if (part_.kind == PanelLight::Kind::Lamp && window_) {
            state.focusable = true;
            state.focused = window_->Lamps().LampFocused(part_.index);
        }
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface && IsBar(part_)) {
            return static_cast<QAccessibleValueInterface*>(this);
        }
        return nullptr;
    }

    QVariant currentValue() const override {
        if (!window_) {
            return 0;
        }
        const PanelLights& lights = window_->Lights();
        return part_.kind == PanelLight::Kind::Meter ? lights.LitSegments(part_.index)
                                                     : lights.AutoLevel(part_.index);
    }
    // What the engine shows cannot be set.
    void setCurrentValue(const QVariant& /*value*/) override {}
    QVariant maximumValue() const override {
        return part_.kind == PanelLight::Kind::Meter ? layout::kMeterSegmentsPerColumn
                                                     : PanelLights::kAutoLevelMax;
    }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

  private:
    bool Lit() const {
        const PanelLights& lights = window_->Lights();
        return part_.kind == PanelLight::Kind::Lamp ? lights.LampLit(part_.index)
                                                    : lights.IndicatorShown(part_.index);
    }

    QPointer<MainWindow> window_;
    PanelLight part_;
};

// The main window: a frame whose children are its controls and then the parts it paints.
class MainWindowInterface : public QAccessibleWidget {
  public:
    explicit MainWindowInterface(MainWindow* window)
        : QAccessibleWidget(window, QAccessible::Window) {}

    int childCount() const override {
        return static_cast<int>(Controls().size() + PanelLights::Parts().size());
    }
    QAccessibleInterface* child(int index) const override {
        const std::vector<int> controls = Controls();
        if (index >= 0 && static_cast<size_t>(index) < controls.size()) {
            return QAccessibleWidget::child(controls[static_cast<size_t>(index)]);
        }
        return Part(index - static_cast<int>(controls.size()));
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const std::vector<int> controls = Controls();
        const auto at = std::ranges::find(parts_, child);
        if (at != parts_.end()) {
            return static_cast<int>(controls.size()) + static_cast<int>(at - parts_.begin());
        }
        const auto control = std::ranges::find(controls, QAccessibleWidget::indexOfChild(child));
        return control == controls.end() ? -1 : static_cast<int>(control - controls.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* control = QAccessibleWidget::childAt(x, y);
        if (control != nullptr && !IsLampRow(control)) {
            return control;
        }
        const QPoint at = widget()->mapFromGlobal(QPoint(x, y));
        const auto& all = PanelLights::Parts();
        for (size_t i = 0; i < all.size(); ++i) {
            if (PanelLights::Box(all[i]).contains(at)) {
                return Part(static_cast<int>(i));
            }
        }
        return nullptr;
    }
    // While the lamp row has the keyboard, the lamp it is on.
    QAccessibleInterface* focusChild() const override {
        const LampRow& lamps = static_cast<MainWindow*>(widget())->Lamps();
        if (lamps.hasFocus()) {
            return Lamp(lamps.Current());
        }
        return QAccessibleWidget::focusChild();
    }

    QAccessibleInterface* Lamp(int channel) const {
        const auto& all = PanelLights::Parts();
        const auto at = std::ranges::find_if(all, [channel](const PanelLight& part) {
            return part.kind == PanelLight::Kind::Lamp && part.index == channel;
        });
        return Part(static_cast<int>(at - all.begin()));
    }

    // The interface of a painted part, made the first time it is asked for. Qt's registry
    // owns it from then on; it turns invalid with the window.
    QAccessibleInterface* Part(int index) const {
        const auto& all = PanelLights::Parts();
        if (index < 0 || static_cast<size_t>(index) >= all.size()) {
            return nullptr;
        }
        if (parts_.empty()) {
            parts_.resize(all.size(), nullptr);
        }
        const auto at = static_cast<size_t>(index);
        if (parts_[at] == nullptr) {
            parts_[at] = new PanelLightInterface(static_cast<MainWindow*>(widget()), all[at]);
            QAccessible::registerAccessibleInterface(parts_[at]);
        }
        return parts_[at];
    }

  private:
    static bool IsLampRow(const QAccessibleInterface* control) {
        return qobject_cast<const LampRow*>(control->object()) != nullptr;
    }
    // The indices, among the widget's own children, of those read as controls: the lamp row
    // is read as its lamps.
    std::vector<int> Controls() const {
        std::vector<int> controls;
        const int count = QAccessibleWidget::childCount();
        for (int i = 0; i < count; ++i) {
            QAccessibleInterface* control = QAccessibleWidget::child(i);
            if (control != nullptr && !IsLampRow(control)) {
                controls.push_back(i);
            }
        }
        return controls;
    }

    mutable std::vector<QAccessibleInterface*> parts_;
};

QAccessibleInterface* PanelInterface(const QString& /*className*/, QObject* object) {
    if (auto* slider = qobject_cast<Slider*>(object)) {
        return new SliderInterface(slider);
    }
    if (auto* label = qobject_cast<PanelLabel*>(object)) {
        return new PanelLabelInterface(label);
    }
    if (auto* spectrum = qobject_cast<SpectrumView*>(object)) {
        return new SpectrumInterface(spectrum);
    }
    if (auto* window = qobject_cast<MainWindow*>(object)) {
        return new MainWindowInterface(window);
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

void AnnounceLampFocus(MainWindow& window, int channel) {
    auto* frame =
        dynamic_cast<MainWindowInterface*>(QAccessible::queryAccessibleInterface(&window));
    if (frame == nullptr || !QAccessible::isActive()) {
        return;
    }
    if (QAccessibleInterface* lamp = frame->Lamp(channel)) {
        QAccessibleEvent event(lamp, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

void AnnouncePanelLights(MainWindow& window, const std::vector<PanelLight>& changed) {
    auto* frame =
        dynamic_cast<MainWindowInterface*>(QAccessible::queryAccessibleInterface(&window));
    if (frame == nullptr) {
        return;
    }
    const auto& all = PanelLights::Parts();
    for (const PanelLight& part : changed) {
        const auto at = std::ranges::find_if(all, [&part](const PanelLight& known) {
            return known.kind == part.kind && known.index == part.index;
        });
        QAccessibleInterface* shown = frame->Part(static_cast<int>(at - all.begin()));
        if (shown == nullptr) {
            continue;
        }
        if (IsBar(part)) {
            QAccessibleValueChangeEvent event(shown, shown->valueInterface()->currentValue());
            QAccessible::updateAccessibility(&event);
        } else {
            QAccessible::State checked;
            checked.checked = true;
            QAccessibleStateChangeEvent event(shown, checked);
            QAccessible::updateAccessibility(&event);
        }
    }
}

}  // namespace zeb
