// Building the main window's controls: positions, captions, fonts, colours and pictures.

#include <QPixmap>

#include "ui/MainWindow.h"
#include "ui/MainWindowLayout.h"

namespace zeb {

namespace {

// 0x00BBGGRR values of the panel.
constexpr Colour kMarkerBlue = 0xFF0000;
constexpr Colour kSystemBlack = 0x80000007;   // the menu-text system colour
constexpr Colour kListBackground = 0x400000;  // 0, 0, 64
constexpr Colour kListText = 0x808080;
constexpr Colour kHintText = 0xC0C0C0;

QString ColourCss(Colour colour) {
    return ToQColor(colour).name();
}

QString ObjectName(const char* base, int index) {
    return QString::fromLatin1(base) + QString::number(index);
}

// Channels are named as the settings file and the lamp logs number them: 0 is the leftmost.
QString ChannelName(int channel, const char* part) {
    return QStringLiteral("Channel %1 %2").arg(channel).arg(QLatin1String(part));
}

}  // namespace

PanelLabel* MainWindow::AddLabel(const char* name, const QRect& box, const QString& text,
                                 const QFont& font) {
    auto* label = new PanelLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(box);
    label->setFont(font);
    label->setText(text);
    return label;
}

PanelLabel* MainWindow::AddCaption(Caption caption, const char* name, const QRect& box,
                                   const QString& text, const QFont& font) {
    PanelLabel* label = AddLabel(name, box, text, font);
    captions_[caption] = label;
    label->SetRole(logic_.SwitchState(caption) ? PanelRole::Switch : PanelRole::Button);
    connect(label, &PanelLabel::Hovered, this, [this, caption] {
        logic_.HoverCaption(caption);
        RefreshCaptions();
    });
    return label;
}

Slider* MainWindow::AddSlider(const char* name, const QRect& box, int32_t max) {
    auto* slider = new Slider(this);
    slider->setObjectName(QString::fromLatin1(name));
    slider->setGeometry(box);
    slider->SetBackColor(kSystemBlack);
    slider->SetRailStyle(kRailPicture);
    slider->SetSliderImage(skin_.thumb);
    slider->SetRailImage(skin_.rail);
    slider->SetMax(max);
    return slider;
}

QComboBox* MainWindow::AddList(const char* name, const QRect& box, const QFont& font,
                               bool editable) {
    auto* list = new QComboBox(this);
    list->setObjectName(QString::fromLatin1(name));
    list->setGeometry(box);
    list->setFont(font);
    list->setEditable(editable);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setStyleSheet(QStringLiteral("QComboBox, QComboBox QAbstractItemView, QLineEdit "
                                       "{ background: %1; color: %2; border: 1px solid #000; }")
                            .arg(ColourCss(kListBackground), ColourCss(kListText)));
    list->setAttribute(Qt::WA_NoMousePropagation);
    return list;
}

QLineEdit* MainWindow::AddEntry(const char* name, const QRect& box) {
    auto* entry = new QLineEdit(this);
    entry->setObjectName(QString::fromLatin1(name));
    entry->setGeometry(box);
    entry->setFont(PlainFont(9.75));
    entry->setStyleSheet(
        QStringLiteral("QLineEdit { background: %1; color: %2; border: 1px solid #000; }")
            .arg(ColourCss(kListBackground), ColourCss(kListText)));
    entry->setAttribute(Qt::WA_NoMousePropagation);
    return entry;
}

void MainWindow::BuildTopRow() {
    using namespace layout;
    const QFont caption = CaptionFont(8.25);
    // The title is a caption like the others: same face, size and idle grey.
    AddLabel("Label1", kTitle, QStringLiteral("ZEB"), caption)->setAlignment(Qt::AlignCenter);
    AddCaption(Caption::Lpt, "Label9", kLpt, QStringLiteral("LPT"), caption);
    AddCaption(Caption::Com, "Label10", kCom, QStringLiteral("COM"), caption);
    AddCaption(Caption::UsbFtdi, "Label11", kUsbFtdi, QStringLiteral("USB FTDI "), caption);
    AddCaption(Caption::Keyboard, "Label12", kKeyboard, QStringLiteral("KEYBOARD"), caption);
    AddCaption(Caption::UsbD3, "Label13", kUsbD3, QStringLiteral("USB-D 3 "), caption);
    AddCaption(Caption::UsbD8, "Label14", kUsbD8, QStringLiteral("USB-D 8"), caption);
    AddCaption(Caption::Set, "Label15", kSet, QStringLiteral("SET"), caption);

    hideButton_ = AddLabel("Picture5", kHideButton, {}, caption);
    hideButton_->setPixmap(QPixmap::fromImage(skin_.hideButton));
    hideButton_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hideButton_->SetRole(PanelRole::Button);
    hideButton_->setAccessibleName(QStringLiteral("Hide to the notification area"));
    exitButton_ = AddLabel("Picture4", kExitButton, {}, caption);
    exitButton_->setPixmap(QPixmap::fromImage(skin_.exitButton));
    exitButton_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    exitButton_->SetRole(PanelRole::Button);
    exitButton_->setAccessibleName(QStringLiteral("Save and exit"));
}

void MainWindow::BuildSpectrum() {
    using namespace layout;
    AddLabel("Label3", kSpectrumFrame, {}, font())->SetFill(kSystemBlack);
    spectrum_ = new SpectrumView(this);
    spectrum_->setObjectName(QStringLiteral("Picture2"));
    spectrum_->setGeometry(kSpectrum);
    spectrum_->setAccessibleName(QStringLiteral("Spectrum"));
    spectrum_->setAccessibleDescription(
        QStringLiteral("The sound input's spectrum in 32 bands, lowest on the left"));
    marker_ = AddLabel("Label6", {0, kMarkerTop, kMarkerWidth, kMarkerHeight}, {}, font());
    marker_->SetFill(kMarkerBlue);
    marker_->hide();
    // Over the top of the spectrum, where bars seldom reach; the pointer passes through it.
    hint_ = AddLabel("LabelHint", kFirstStartHint,
                     QStringLiteral("Raise GAIN (right slider) and the channel sliders to light "
                                    "the lamps"),
                     PlainFont(8.25));
    hint_->setAlignment(Qt::AlignCenter);
    hint_->SetTextColour(kHintText);
    hint_->setAttribute(Qt::WA_TransparentForMouseEvents);
    hint_->hide();
}

void MainWindow::BuildChannelStrips() {
    using namespace layout;
    const QFont bandFont = PlainFont(8.25);
    for (int i = 0; i < kChannelCount; ++i) {
        const auto index = static_cast<size_t>(i);
        const int x = kStripX[index];

        PanelLabel* band = AddLabel(
            "", {kBandLabelX[index], kBandLabelTop, kBandLabelSize, kBandLabelSize}, {}, bandFont);
        band->setObjectName(ObjectName("LabelCH", i));
        band->setAlignment(Qt::AlignCenter);
        band->SetRole(PanelRole::Spin);
        // One step above the highest band the channel follows the beat ("B").
        band->SetSpinRange(0, kBeatStep);
        band->setAccessibleName(ChannelName(i, "band"));
        ConnectBandLabel(i, band);
        bandLabels_[index] = band;

        Slider* threshold = AddSlider("", {x, kSliderTop, kSliderWidth, kSliderHeight}, 25);
        threshold->setObjectName(ObjectName("Slider1_", i));
        threshold->setAccessibleName(ChannelName(i, "threshold"));
        connect(threshold, &Slider::Change, this,
                [this, i, threshold] { program_.SetThreshold(i, threshold->Value()); });
        thresholds_[index] = threshold;
    }
    // Indicators, lamps and the automatic-threshold bars are painted by the window (lights_).
}

void MainWindow::BuildMetersAndLevels() {
    using namespace layout;
    // The meters are painted by the window (lights_).
    level_ = AddSlider("sLevel", kLevelSlider, 254);
    level_->setAccessibleName(QStringLiteral("Input volume"));
    gain_ = AddSlider("Slider2", kGainSlider, 254);
    gain_->setAccessibleName(QStringLiteral("Spectrum gain"));
    AddCaption(Caption::Auto, "Label5", kAuto, QStringLiteral("AUTO"), DisplayFont(8.25));
    tempo_ = AddLabel("LabelTempo", kTempo, QStringLiteral("BPM --"), DisplayFont(8.25));
    tempo_->setAlignment(Qt::AlignCenter);
    tempo_->SetRole(PanelRole::Button);
    tempo_->setAccessibleName(QStringLiteral("Tempo"));
    tempo_->setToolTip(
        QStringLiteral("The music's tempo in beats a minute; click (or press "
                       "Space) on each beat four times to tap it"));
}

void MainWindow::BuildSettingsColumn() {
    using namespace layout;
    const QFont caption = CaptionFont(8.25);
    const QFont list = ListFont(8.25);
    BuildDmxGroup();
    selectAudioInput_ =
        AddLabel("Label2", kSelectAudioInput, QStringLiteral("SELECT AUDIO INPUT"), caption);
    // A reader names a list by its label (the toolkit names it by the entry shown): a blank
    // label under each list, covered by it, names it.
    PanelLabel* inputsLabel = AddLabel("LabelInput", kInputList, {}, list);
    inputs_ = AddList("cmbInput", kInputList, list, false);
    inputs_->setAccessibleName(QStringLiteral("Audio input"));
    inputsLabel->setAccessibleName(inputs_->accessibleName());
    inputsLabel->setBuddy(inputs_);
    PanelLabel* devicesLabel = AddLabel("LabelDevice", kDeviceList, {}, list);
    devices_ = AddList("Combo3", kDeviceList, list, false);
    devices_->setAccessibleName(QStringLiteral("Audio device"));
    devicesLabel->setAccessibleName(devices_->accessibleName());
    devicesLabel->setBuddy(devices_);
    AddLabel("Label19", kSpeedAutoCaption, QStringLiteral("SPEED AUTO"), caption);
    speed_ = AddList("Combo4", kSpeedAutoList, list, false);
    speed_->setAccessibleName(QStringLiteral("SPEED AUTO"));
    AddLabel("Label16", kLptCaption, QStringLiteral("LPT OR PCI-LPT"), caption);
    addresses_ = AddList("Combo1", kAddressList, list, false);
    addresses_->setAccessibleName(QStringLiteral("LPT address"));
    AddCaption(Caption::Del, "Label8", kDel, QStringLiteral("DEL"), caption);

    addressEntry_ = AddEntry("Text1", kAddressEntry);
    addressEntry_->setAccessibleName(QStringLiteral("New LPT address"));

    AddCaption(Caption::Add, "Label7", kAdd, QStringLiteral("ADD"), caption);
    AddLabel("Label17", kComPortCaption, QStringLiteral("SELECT COM PORT"), caption);
    AddLabel("Label4", kComPrefix, QStringLiteral("COM"), CaptionFont(12));
    port_ = AddList("Combo2", kPortList, PlainFont(9.75), true);
    port_->setAccessibleName(QStringLiteral("COM port"));
    port_->lineEdit()->setAccessibleName(port_->accessibleName());
    webAddress_ = AddLabel("Label18", kWebAddress, QStringLiteral("zeb.light"), DisplayFont(8.25));
    AddLabel("LabelDelay", kDelayCaption, QStringLiteral("DELAY"), caption);
    delay_ = AddEntry("TextDelay", kDelay);
    delay_->setFont(list);
    delay_->setMaxLength(4);
    delay_->setAccessibleName(QStringLiteral("Output delay"));
    delay_->setToolTip(QStringLiteral(
        "Milliseconds every lamp waits, for speakers that lag behind the sound (0..1000)"));

    focusSink_ = new QWidget(this);
    focusSink_->setObjectName(QStringLiteral("Picture1"));
    focusSink_->setGeometry(kFocusSink);
    // Given the focus by the background, never by Tab: it lies outside the panel.
    focusSink_->setFocusPolicy(Qt::ClickFocus);
    focusSink_->setAccessibleName(QStringLiteral("Band wheel"));
    focusSink_->setAccessibleDescription(
        QStringLiteral("Holds the focus while the mouse wheel edits the highlighted bands"));
}

void MainWindow::BuildFocusOrder() {
    for (Caption caption : {Caption::Lpt, Caption::Com, Caption::UsbFtdi, Caption::Keyboard,
                            Caption::UsbD3, Caption::UsbD8, Caption::Set}) {
        focusOrder_.push_back(captions_.at(caption));
    }
    focusOrder_.insert(focusOrder_.end(),
                       {hideButton_, exitButton_, tempo_, captions_.at(Caption::Auto), level_});
    for (size_t i = 0; i < kChannelCount; ++i) {
        focusOrder_.insert(focusOrder_.end(), {bandLabels_[i], thresholds_[i]});
    }
    focusOrder_.push_back(lamps_);
    focusOrder_.insert(focusOrder_.end(),
                       {gain_, captions_.at(Caption::Dmx), dmxUniverse_, dmxAddress_, dmxLayout_,
                        inputs_, devices_, speed_, addresses_, captions_.at(Caption::Del),
                        addressEntry_, captions_.at(Caption::Add), port_, delay_});
    // Qt's own chain in the same order: the window's first activation focuses the first.
    for (size_t i = 1; i < focusOrder_.size(); ++i) {
        setTabOrder(focusOrder_[i - 1], focusOrder_[i]);
    }
}

void MainWindow::BuildDmxGroup() {
    using namespace layout;
    const QFont caption = CaptionFont(8.25);
    PanelLabel* key =
        AddCaption(Caption::Dmx, "LabelDmx", kDmx, QStringLiteral("DMX"), DisplayFont(8.25));
    key->setAlignment(Qt::AlignCenter);
    // Named as the switch it is, also while it shows that olad is lost.
    key->setAccessibleName(QStringLiteral("DMX"));
    AddLabel("LabelUniverse", kDmxUniverseCaption, QStringLiteral("UNIVERSE"), caption)
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    dmxUniverse_ = AddEntry("TextUniverse", kDmxUniverse);
    dmxUniverse_->setMaxLength(5);
    dmxUniverse_->setAccessibleName(QStringLiteral("DMX universe"));
    dmxUniverse_->setToolTip(
        QStringLiteral("The OLA universe the lamps are patched to (1..65535)"));
    AddLabel("LabelAddress", kDmxAddressCaption, QStringLiteral("ADDRESS"), caption)
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    dmxAddress_ = AddEntry("TextAddress", kDmxAddress);
    dmxAddress_->setMaxLength(3);
    dmxAddress_->setAccessibleName(QStringLiteral("DMX start address"));
    dmxAddress_->setToolTip(
        QStringLiteral("DMX slot of channel 0 (1..%1); the twelve channels follow it")
            .arg(kDmxLastStartAddress));
    dmxLayout_ = AddList("ComboLayout", kDmxLayoutList, DisplayFont(6.75), false);
    for (const char* name : kDmxLayoutNames) {
        dmxLayout_->addItem(QString::fromLatin1(name));
    }
    // A narrow arrow, so the entry's name fits the small box.
    dmxLayout_->setStyleSheet(dmxLayout_->styleSheet() +
                              QStringLiteral(" QComboBox::drop-down { width: 7px; border: none; }"
                                             " QComboBox { padding-left: 1px; }"));
    dmxLayout_->setAccessibleName(QStringLiteral("DMX layout"));
    dmxLayout_->setToolTip(
        QStringLiteral("How the channels reach the lamps: one slot each, RGB or RGBW fixtures, "
                       "or an LED strip"));
}

}  // namespace zeb
