#include "ui/MainWindow.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QCloseEvent>
#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <limits>
#include <tuple>

#include "core/ModelActions.h"
#include "ui/Accessibility.h"
#include "ui/MainWindowLayout.h"

namespace zeb {

namespace {

QString ToQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A caption restored from a damaged settings file may hold a NUL; it shows as blank.
QString ShownCaption(const std::string& text) {
    QString shown = ToQString(text);
    shown.remove(QChar(u'\0'));
    return shown;
}

// Shows a list's entries and selection; rebuilds the entries only when they differ.
void ShowList(QComboBox* box, const ChoiceList& list) {
    const QSignalBlocker block(box);
    QStringList entries;
    for (const std::string& entry : list.Entries()) {
        entries << ToQString(entry);
    }
    bool same = box->count() == entries.size();
    for (int i = 0; same && i < box->count(); ++i) {
        same = box->itemText(i) == entries[i];
    }
    if (!same) {
        box->clear();
        box->addItems(entries);
    }
    if (box->currentIndex() != list.Index()) {
        box->setCurrentIndex(list.Index());
    }
    if (list.Editable() && box->currentText() != ToQString(list.Text())) {
        box->setEditText(ToQString(list.Text()));
    }
}

// Device and input names are longer than their boxes on the panel: the popup opens as wide
// as the longest entry and the selected one shows in full as a tooltip, while the box itself
// keeps its size.
void ShowNamesInFull(QComboBox* box) {
    QAbstractItemView* view = box->view();
    const QFontMetrics metrics(view->font());
    int widest = 0;
    for (int i = 0; i < box->count(); ++i) {
        widest = std::max(widest, metrics.horizontalAdvance(box->itemText(i)));
    }
    // Room for the entries' own margins, the frame and a scroll bar.
    const int margins = 2 * metrics.averageCharWidth() + 2 * view->frameWidth() +
                        view->verticalScrollBar()->sizeHint().width();
    view->setMinimumWidth(widest + margins);
    box->setToolTip(box->currentText());
}

// What a DMX box says beside itself when it refuses a typed number.
QString RefusedNumberText(const QString& caption, const QString& typed, const RangedValue& range) {
    return QStringLiteral("%1 takes a number from %2 to %3: \"%4\" was not taken, it stays %5.")
        .arg(caption)
        .arg(range.Min())
        .arg(range.Max())
        .arg(typed)
        .arg(range.Value());
}

}  // namespace

MainWindow::MainWindow(const ProgramModel& model, ProgramActions& program,
                       MainWindowActions& window, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      model_(model),
      program_(program),
      windowActions_(window),
      skin_(LoadSkin()) {
    // Before any control exists: Qt keeps the first interface it makes for a widget.
    InstallAccessibility();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ZEB"));
    setMouseTracking(true);
    setFont(DisplayFont(14.25));
    setAttribute(Qt::WA_OpaquePaintEvent);
    moveRequest_ = [this] {
        if (QWindow* window = windowHandle()) {
            window->startSystemMove();
        }
    };

    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        if (focus == nullptr) {
            awayFromProgram_ = true;
        }
    });

    BuildTopRow();
    BuildSpectrum();
    BuildChannelStrips();
    BuildMetersAndLevels();
    BuildSettingsColumn();
    // Over the painted lamps, after every other control so the panel's picture stays as it is.
    lamps_ = new LampRow(this);
    BuildFocusOrder();
    ConnectInput();
    RouteWheelFromChildren();
    RefreshAll();
}

void MainWindow::ConnectInput() {
    connect(lamps_, &LampRow::ColourRequested, this, &MainWindow::OpenColourDialog);
    connect(lamps_, &LampRow::LampFocusChanged, this,
            [this](int channel) { AnnounceLampFocus(*this, channel); });
    const auto toggle = [this](Toggle pressed) {
        return [this, pressed] { Act([this, pressed] { program_.PressToggle(pressed); }); };
    };
    connect(captions_.at(Caption::Lpt), &PanelLabel::Pressed, this, toggle(Toggle::Lpt));
    connect(captions_.at(Caption::Auto), &PanelLabel::Pressed, this, toggle(Toggle::Auto));
    connect(captions_.at(Caption::Com), &PanelLabel::Clicked, this, toggle(Toggle::Com));
    connect(captions_.at(Caption::UsbFtdi), &PanelLabel::Clicked, this, toggle(Toggle::Ftdi));
    connect(captions_.at(Caption::Keyboard), &PanelLabel::Clicked, this, toggle(Toggle::Keyboard));
    connect(captions_.at(Caption::UsbD3), &PanelLabel::Clicked, this, toggle(Toggle::Usb3));
    connect(captions_.at(Caption::UsbD8), &PanelLabel::Clicked, this, toggle(Toggle::Usb8));
    connect(captions_.at(Caption::Dmx), &PanelLabel::Clicked, this, toggle(Toggle::Dmx));
    connect(hideButton_, &PanelLabel::Clicked, this,
            [this] { Act([this] { windowActions_.HideClicked(); }); });
    // The program leaves at once, unless the save fails: then the window stays as it was.
    connect(exitButton_, &PanelLabel::Clicked, this,
            [this] { Act([this] { program_.SaveAndExit(); }); });

    connect(captions_.at(Caption::Set), &PanelLabel::Clicked, this, [this] {
        program_.ToggleWidth();
        ApplyWidth();
        RefreshCaptions();
    });
    connect(captions_.at(Caption::Add), &PanelLabel::Clicked, this, [this] {
        program_.AddLptAddress(state_.text1);
        RefreshLists();
    });
    connect(captions_.at(Caption::Del), &PanelLabel::Clicked, this, [this] {
        program_.DeleteLptAddress();
        RefreshLists();
    });
    connect(selectAudioInput_, &PanelLabel::Pressed, this, [this] { moveRequest_(); });
    auto* showKey = new QShortcut(QKeySequence(kShowKey), this);
    connect(showKey, &QShortcut::activated, this,
            [this] { Act([this] { windowActions_.HideClicked(); }); });

    connect(devices_, &QComboBox::activated, this,
            [this](int index) { Act([this, index] { program_.SelectCaptureDevice(index); }); });
    connect(inputs_, &QComboBox::activated, this,
            [this](int index) { Act([this, index] { program_.SelectCaptureInput(index); }); });
    connect(speed_, &QComboBox::activated, this,
            [this](int index) { program_.SelectSpeed(index); });
    connect(dmxLayout_, &QComboBox::activated, this,
            [this](int index) { Act([this, index] { program_.SelectDmxLayout(index); }); });
    connect(addresses_, &QComboBox::activated, this,
            [this](int index) { program_.SelectLptAddress(index); });
    connect(port_, &QComboBox::editTextChanged, this,
            [this](const QString& text) { program_.TypeSerialPort(text.toStdString()); });
    connect(port_, &QComboBox::activated, this,
            [this](int index) { program_.SelectSerialPort(index); });
    connect(addressEntry_, &QLineEdit::textChanged, this,
            [this](const QString& text) { state_.text1 = text.toStdString(); });
    // Return or leaving the box takes the number; one out of range shows the old one again and
    // says so beside the box, so a typed number never just turns into another.
    const auto onEntered = [this](QLineEdit* entry,
                                  bool (ProgramActions::*enter)(const std::string&),
                                  const QString& caption, const RangedValue& value) {
        connect(entry, &QLineEdit::editingFinished, this,
                [this, entry, enter, caption, range = &value] {
                    const QString typed = entry->text();
                    const bool taken = (program_.*enter)(typed.toStdString());
                    entry->setModified(false);
                    RefreshDmx();
                    if (!taken && entry->isVisible()) {
                        QToolTip::showText(entry->mapToGlobal(QPoint(0, entry->height())),
                                           RefusedNumberText(caption, typed, *range), entry);
                    }
                });
    };
    onEntered(dmxUniverse_, &ProgramActions::SetDmxUniverse, QStringLiteral("UNIVERSE"),
              model_.dmx.universe);
    onEntered(dmxAddress_, &ProgramActions::SetDmxAddress, QStringLiteral("ADDRESS"),
              model_.dmx.startAddress);
    onEntered(delay_, &ProgramActions::SetOutputDelay, QStringLiteral("DELAY"), model_.delay.ms);
    // A tap counts when the button goes down, on the beat, not when it comes up again.
    connect(tempo_, &PanelLabel::Pressed, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) {
            program_.TapTempo();
            RefreshTempo();
        }
    });

    connect(level_, &Slider::Change, this, [this] { program_.SetInputLevel(level_->Value()); });
    connect(level_, &Slider::MouseMove, this, [this] { program_.DragInputLevel(level_->Value()); });
    connect(gain_, &Slider::Change, this, [this] { program_.SetSpectrumGain(gain_->Value()); });

    // The first start's hint stays until the user moves a slider (not the window showing the
    // model's values).
    std::vector<Slider*> sliders{level_, gain_};
    sliders.insert(sliders.end(), thresholds_.begin(), thresholds_.end());
    for (Slider* slider : sliders) {
        connect(slider, &Slider::Change, this, [this] {
            if (!showingSliders_) {
                hint_->hide();
            }
        });
    }
}

void MainWindow::ShowFirstStartHint(bool shown) {
    hint_->setVisible(shown);
}

void MainWindow::ShowWebAddress(const QString& address, const QString& hostAndPort,
                                const QImage& qrCode) {
    if (webAddress_->text() != hostAndPort) {
        webAddress_->setText(hostAndPort);
    }
    QString tip = QStringLiteral("<p>Web page: %1</p>").arg(address.toHtmlEscaped());
    if (!qrCode.isNull()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        qrCode.save(&buffer, "PNG");
        tip += QStringLiteral("<p><img src=\"data:image/png;base64,%1\"></p>")
                   .arg(QString::fromLatin1(png.toBase64()));
    }
    webAddress_->setToolTip(tip);
}

void MainWindow::ConnectBandLabel(int channel, PanelLabel* band) {
    connect(band, &PanelLabel::Hovered, this, [this, channel] {
        logic_.HoverBandLabel(channel);
        RefreshBands();
    });
    // The focused label is highlighted as a hovered one, so keys and the wheel both move it.
    // Tabbing away turns it idle again unless the pointer rests on it; a click elsewhere leaves
    // the highlights to the pointer, as they always were.
    connect(band, &PanelLabel::FocusChanged, this,
            [this, channel, band](bool focused, Qt::FocusReason reason) {
                const bool tabbedAway =
                    reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
                if (focused) {
                    logic_.HoverBandLabel(channel);
                } else if (tabbedAway && !band->underMouse()) {
                    logic_.UnhighlightBandLabel(channel);
                }
                RefreshBands();
            });
    // Keys and assistive technology step this label's own band, whatever else is highlighted.
    connect(band, &PanelLabel::Stepped, this, [this, channel](int steps) {
        logic_.StepBand(channel, steps);
        RefreshBands();
    });
}

void MainWindow::RouteWheelFromChildren() {
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        // A list or entry box that holds the keyboard focus uses the wheel itself; everywhere
        // else (the panel's own controls too) the wheel edits the highlighted bands.
        auto* widget = qobject_cast<QWidget*>(watched);
        const bool panelControl = qobject_cast<PanelLabel*>(watched) != nullptr ||
                                  qobject_cast<Slider*>(watched) != nullptr;
        if (widget != nullptr && widget != focusSink_ && !panelControl && widget->hasFocus()) {
            return false;
        }
        Wheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
        return true;
    }
    if (watched == addresses_ && event->type() == QEvent::FocusOut) {
        program_.LptAddressListLeft();
    }
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::focusNextPrevChild(bool next) {
    std::vector<QWidget*> shown;
    for (QWidget* control : focusOrder_) {
        if (control->isVisibleTo(this) && control->isEnabled() &&
            rect().contains(control->geometry())) {
            shown.push_back(control);
        }
    }
    if (shown.empty()) {
        return false;
    }
    const QWidget* focus = QApplication::focusWidget();
    const auto at = std::ranges::find_if(shown, [focus](const QWidget* control) {
        return control == focus || control->isAncestorOf(focus);
    });
    const size_t count = shown.size();
    size_t index = next ? 0 : count - 1;
    if (at != shown.end()) {
        const auto from = static_cast<size_t>(at - shown.begin());
        index = next ? (from + 1) % count : (from + count - 1) % count;
    }
    shown[index]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void MainWindow::Act(const std::function<void()>& request) {
    request();
    RefreshAll();
}

void MainWindow::BackgroundMoved() {
    focusSink_->setFocus();
    logic_.ResetHover();
    RefreshCaptions();
    RefreshBands();
}

void MainWindow::Wheel(int delta) {
    const int clamped = std::clamp(delta, int{std::numeric_limits<int16_t>::min()},
                                   int{std::numeric_limits<int16_t>::max()});
    logic_.Wheel(static_cast<int16_t>(clamped));
    RefreshBands();
}

void MainWindow::paintEvent(QPaintEvent* event) {
    // Only what the event asks for: most frames repaint a few lamps and meter segments.
    QPainter painter(this);
    const QRect skin = skin_.background.rect();
    for (const QRect& rect : event->region()) {
        const QRect covered = rect & skin;
        if (!covered.isEmpty()) {
            painter.drawImage(covered.topLeft(), skin_.background, covered);
        }
        for (const QRect& bare : QRegion(rect).subtracted(skin)) {
            painter.fillRect(bare, Qt::black);
        }
    }
    lights_.Paint(painter, event->region());
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    BackgroundMoved();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::RightButton) {
        if (const int channel = LampAt(event->position().toPoint()); channel >= 0) {
            OpenColourDialog(channel);
            return;
        }
    }
    // Any other press: the background is the window's handle.
    moveRequest_();
}

int MainWindow::LampAt(const QPoint& position) {
    for (int i = 0; i < kChannelCount; ++i) {
        if (PanelLights::Box({PanelLight::Kind::Lamp, i}).contains(position)) {
            return i;
        }
    }
    return -1;
}

void MainWindow::OpenColourDialog(int channel) {
    const LampColour now = model_.channels[static_cast<size_t>(channel)].colour;
    // Owned by the window until it closes.
    auto* dialog = new QColorDialog(QColor(now.red, now.green, now.blue), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QColorDialog::DontUseNativeDialog);
    const QString name = QStringLiteral("Channel %1 colour").arg(channel);
    dialog->setWindowTitle(name);
    dialog->setAccessibleName(name);
    connect(dialog, &QColorDialog::colorSelected, this, [this, channel](const QColor& chosen) {
        const auto primary = [](int value) { return static_cast<uint8_t>(value); };
        Act([&] {
            program_.SetChannelColour(
                channel,
                LampColour{primary(chosen.red()), primary(chosen.green()), primary(chosen.blue())});
        });
    });
    dialog->open();
}

void MainWindow::wheelEvent(QWheelEvent* event) {
    event->accept();
    Wheel(event->angleDelta().y());
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        const bool activation = justShown_ || !awayFromProgram_;
        justShown_ = false;
        awayFromProgram_ = false;
        if (activation) {
            Act([this] { windowActions_.WindowActivated(); });
        }
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    justShown_ = true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The program knows whether it is leaving already.
    windowActions_.WindowClosed();
    event->accept();
}

void MainWindow::RefreshSpectrum() {
    spectrum_->ShowImage(model_.spectrumImage);
}

void MainWindow::RefreshEngine() {
    if (model_.dmx.oladLost != shownOladLost_) {
        RefreshDmx();
    }
    if (model_.serialPortLost != shownSerialPortLost_ ||
        model_.outputs.OutputMode.Get() != shownSerialMode_) {
        RefreshSerialPort();
    }
    RefreshTempo();
    // Only a reader that listens is told what changed.
    const bool announce = QAccessible::isActive();
    changedLights_.clear();
    const QRegion changed = lights_.Show(model_.engine, announce ? &changedLights_ : nullptr) +
                            lights_.ShowColours(model_.channels);
    if (!changed.isEmpty()) {
        update(changed);
    }
    if (!changedLights_.empty()) {
        AnnouncePanelLights(*this, changedLights_);
    }
}

void MainWindow::RefreshAll() {
    RefreshCaptions();
    RefreshDmx();
    RefreshSerialPort();
    RefreshBands();
    RefreshSliders();
    RefreshLists();
    ApplyWidth();
    RefreshSpectrum();
    RefreshEngine();
}

void MainWindow::RefreshCaptions() {
    for (const auto& [caption, label] : captions_) {
        label->SetTextColour(logic_.CaptionColour(caption));
        label->SetSwitchedOn(logic_.SwitchState(caption).value_or(false));
    }
}

void MainWindow::RefreshBands() {
    for (size_t i = 0; i < kChannelCount; ++i) {
        bandLabels_[i]->SetShownText(ShownCaption(BandLabelText(model_.channels[i])));
        bandLabels_[i]->SetTextColour(state_.bandLabelColours[i]);
        // On the beat the threshold has no effect: greyed, and deaf to the pointer.
        thresholds_[i]->SetEnabled(!model_.channels[i].followsBeat);
    }
    marker_->move(state_.markerLeftPixels, layout::kMarkerTop);
    marker_->setVisible(state_.markerVisible);
}

void MainWindow::RefreshSliders() {
    showingSliders_ = true;
    for (size_t i = 0; i < kChannelCount; ++i) {
        thresholds_[i]->SetValue(model_.channels[i].threshold.Value());
    }
    level_->SetValue(model_.sLevel.Value());
    gain_->SetValue(model_.slider2.Value());
    showingSliders_ = false;
}

void MainWindow::RefreshLists() {
    ShowList(inputs_, model_.capture.inputs);
    ShowList(devices_, model_.capture.devices);
    ShowNamesInFull(inputs_);
    ShowNamesInFull(devices_);
    ShowList(speed_, model_.combo4);
    ShowList(addresses_, model_.combo1);
    ShowList(port_, model_.combo2);
    if (const int layout = static_cast<int>(model_.dmx.layout);
        dmxLayout_->currentIndex() != layout) {
        const QSignalBlocker block(dmxLayout_);
        dmxLayout_->setCurrentIndex(layout);
    }
    const QString entry = ToQString(state_.text1);
    if (addressEntry_->text() != entry) {
        const QSignalBlocker block(addressEntry_);
        addressEntry_->setText(entry);
    }
}

void MainWindow::RefreshDmx() {
    const DmxSettings& dmx = model_.dmx;
    // What the user is typing stays until Return or leaving the box takes it.
    for (const auto& [entry, value] : {std::pair{dmxUniverse_, dmx.universe.Value()},
                                       std::pair{dmxAddress_, dmx.startAddress.Value()},
                                       std::pair{delay_, model_.delay.ms.Value()}}) {
        const QString shown = QString::number(value);
        if (!entry->isModified() && entry->text() != shown) {
            entry->setText(shown);
        }
    }
    const int first = dmx.startAddress.Value();
    shownOladLost_ = dmx.oladLost;
    PanelLabel* key = captions_.at(Caption::Dmx);
    QString tip;
    if (dmx.layout == DmxLayout::Pixels) {
        tip = QStringLiteral(
                  "DMX through OLA: universe %1 on, a strip of %2 pixels (olad on port %3)")
                  .arg(dmx.universe.Value())
                  .arg(dmx.pixels.Value())
                  .arg(dmx.rpcPort.Value());
    } else {
        const int perChannel =
            dmx.layout == DmxLayout::Rgbw ? 4 : (dmx.layout == DmxLayout::Rgb ? 3 : 1);
        tip = QStringLiteral("DMX through OLA: universe %1, slots %2 to %3 (olad on port %4)")
                  .arg(dmx.universe.Value())
                  .arg(first)
                  .arg(std::min(first + perChannel * kChannelCount - 1, int{kDmxUniverseSlots}))
                  .arg(dmx.rpcPort.Value());
    }
    if (dmx.oladLost) {
        tip += QStringLiteral(": olad lost, reconnecting");
    }
    // The key itself says so, not only its tooltip.
    key->setText(dmx.oladLost ? QStringLiteral("LOST") : QStringLiteral("DMX"));
    key->setToolTip(tip);
    key->setAccessibleDescription(dmx.oladLost ? QStringLiteral("olad lost, reconnecting")
                                               : QString());
}

void MainWindow::RefreshSerialPort() {
    shownSerialPortLost_ = model_.serialPortLost;
    shownSerialMode_ = model_.outputs.OutputMode.Get();
    const bool lost = !shownSerialPortLost_.empty();
    for (const auto& [caption, mode, text] :
         {std::tuple{Caption::Com, SerialMode::Com, "COM"},
          std::tuple{Caption::UsbD3, SerialMode::Usb3Led, "USB-D 3 "},
          std::tuple{Caption::UsbD8, SerialMode::Usb8Led, "USB-D 8"}}) {
        const bool shown = lost && mode == shownSerialMode_;
        PanelLabel* key = captions_.at(caption);
        key->setText(shown ? QStringLiteral("LOST") : QString::fromLatin1(text));
        key->setToolTip(shown ? ToQString(shownSerialPortLost_) : QString());
        key->setAccessibleDescription(shown ? QStringLiteral("serial port lost, reconnecting")
                                            : QString());
    }
}

void MainWindow::RefreshTempo() {
    // At every tick: the text is made only when the readout changed.
    if (model_.beat.readout != shownTempo_) {
        shownTempo_ = model_.beat.readout;
        tempo_->setText(QStringLiteral("BPM ") + ToQString(shownTempo_));
    }
    tempo_->SetTextColour(model_.beat.tapped ? colours::Blue : colours::Grey);
}

void MainWindow::ApplyWidth() {
    // A width restored from a hand-edited settings file can be anything; the desktop never
    // makes a window wider than all its screens together (nor narrower than a pixel), and a
    // larger one would only exhaust memory for its picture. The model keeps the width as given.
    int widest = TwipsToPixels(kExpandedWidthTwips);
    if (const QScreen* shown = screen()) {
        widest = std::max(widest, shown->virtualSize().width());
    }
    setFixedSize(std::clamp(TwipsToPixels(model_.widthTwips), 1, widest), layout::kClientHeight);
}

}  // namespace zeb
