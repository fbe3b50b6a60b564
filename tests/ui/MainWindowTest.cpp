// The main window through real Qt events: layout, hover colours, wheel editing of bands,
// window moves, the width toggle, the lists and the requests it passes to the program.

#include "core/SwitchTexts.h"
#include "ui/MainWindow.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QColorDialog>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <memory>
#include <string>
#include <vector>

#include "support/RecordingActions.h"

namespace zeb {
namespace {

// Records every request of the window by name, the window's own among them.
class RecordingViewActions : public RecordingActions, public MainWindowActions {
  public:
    using RecordingActions::RecordingActions;

    void HideClicked() override { calls.emplace_back("Hide"); }
    int activations = 0;
    void WindowActivated() override { ++activations; }
    void WindowClosed() override { calls.emplace_back("Closed"); }
};

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.SetMoveRequest([this] { ++moveRequests; });
        window.show();
        actions.calls.clear();
    }

    template <typename T = PanelLabel>
    T* Control(const char* name) {
        T* control = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    Colour ColourOf(const char* name) { return Control(name)->TextColour(); }

    // Pointer movement without a button, delivered as the platform delivers it.
    void MoveOver(QWidget* target, QPoint at = {}) {
        if (at.isNull()) {
            at = target->rect().center();
        }
        QMouseEvent move(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }
    void MoveOverBackground() { MoveOver(&window, QPoint(6, 200)); }
    void Turn(QWidget* target, int delta) {
        const QPointF at = target->rect().center();
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
    }
    QString Band(int channel) {
        return Control(("LabelCH" + std::to_string(channel)).c_str())->text();
    }

    ProgramModel model;
    RecordingViewActions actions{model};
    MainWindow window{model, actions, actions};
    int moveRequests = 0;
};

TEST_F(MainWindowTest, PanelHasTheDesignedSizeCaptionsAndPlaces) {
    EXPECT_EQ(window.size(), QSize(643, 393));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(Control("Label11")->text(), "USB FTDI ");
    EXPECT_EQ(Control("Label13")->text(), "USB-D 3 ");
    EXPECT_EQ(Control("Label14")->text(), "USB-D 8");
    EXPECT_EQ(Control("Label2")->text(), "SELECT AUDIO INPUT");
    EXPECT_EQ(Control("Label11")->geometry(), QRect(112, 24, 49, 17));
    EXPECT_EQ(Control("LabelCH3")->geometry(), QRect(154, 240, 17, 17));
    EXPECT_EQ(Control<Slider>("Slider1_11")->geometry(), QRect(360, 256, 16, 110));
    EXPECT_EQ(Control<Slider>("Slider1_0")->Max(), 25);
    EXPECT_EQ(Control<Slider>("Slider2")->Max(), 254);
    EXPECT_EQ(Control<QWidget>("Picture2")->geometry(), QRect(14, 48, 417, 129));
    EXPECT_EQ(Control<QWidget>("Combo2")->geometry(), QRect(552, 320, 41, 24));
    // The automatic-threshold bars lie below the visible panel.
    EXPECT_GE(PanelLights::Box({PanelLight::Kind::AutoBar, 0}).y(), 393);
    for (int i = 0; i < kChannelCount; ++i) {
        EXPECT_EQ(Band(i).toStdString(), kDefaultBandCaptions[static_cast<size_t>(i)]);
        EXPECT_EQ(ColourOf(("LabelCH" + std::to_string(i)).c_str()), colours::DarkGreen);
    }
    EXPECT_FALSE(Control("Label6")->isVisible());
}

TEST_F(MainWindowTest, CaptionsUseTheirFontRolesAndStartGrey) {
    // Plain captions, the title among them, share one serif face and size; "AUTO" and the web
    // address use the condensed display face, the "COM" prefix a larger serif.
    const QFont caption = Control("Label9")->font();
    EXPECT_EQ(caption.pointSizeF(), 8.25);
    for (const char* name : {"Label1", "Label2", "Label16", "Label17", "Label19", "Label15"}) {
        EXPECT_EQ(Control(name)->font(), caption) << name;
        EXPECT_EQ(ColourOf(name), colours::Grey) << name;
    }
    EXPECT_EQ(Control("Label1")->text(), "ZEB");
    EXPECT_EQ(Control("Label4")->font().family(), caption.family());
    EXPECT_EQ(Control("Label4")->font().pointSizeF(), 12.0);
    EXPECT_EQ(Control("Label5")->font(), Control("Label18")->font());
    EXPECT_NE(Control("Label5")->font().family(), caption.family());
    EXPECT_EQ(Control("Label5")->font().pointSizeF(), 8.25);
}

TEST_F(MainWindowTest, WheelOverAHoveredBandLabelEditsItsBand) {
    model.channels[7].bandCaption = "29";
    window.RefreshAll();
    PanelLabel* label = Control("LabelCH7");
    MoveOver(label);
    EXPECT_EQ(label->TextColour(), colours::BrightGreen);
    Turn(label, 120);
    EXPECT_EQ(Band(7), "30");
    Turn(label, 120);
    EXPECT_EQ(Band(7), "31");
    // One step above the highest band the channel follows the beat; its caption keeps 31.
    for (int i = 0; i < 2; ++i) {
        Turn(label, 120);
    }
    EXPECT_EQ(Band(7), "B");
    EXPECT_TRUE(model.channels[7].followsBeat);
    EXPECT_EQ(model.channels[7].bandCaption, "31");
    EXPECT_FALSE(Control<Slider>("Slider1_7")->Enabled()) << "its threshold has no effect";

    MoveOverBackground();
    MoveOver(Control("LabelCH0"));
    Turn(Control("LabelCH0"), -120);
    EXPECT_EQ(Band(0), "0");
    EXPECT_EQ(Band(7), "B");
    MoveOverBackground();
    MoveOver(label);
    Turn(label, -120);
    EXPECT_EQ(Band(7), "31");
    EXPECT_TRUE(Control<Slider>("Slider1_7")->Enabled());
}

TEST_F(MainWindowTest, TwoHalfNotchesMakeOneNotchOnTheSecond) {
    PanelLabel* label = Control("LabelCH1");
    MoveOver(label);
    Turn(label, 60);
    EXPECT_EQ(Band(1), "4");
    // The wheel acts wherever the pointer is, over a slider as well.
    Turn(Control<Slider>("Slider1_5"), 60);
    EXPECT_EQ(Band(1), "5");
}

TEST_F(MainWindowTest, AFocusedListKeepsTheWheelUntilThePointerCrossesTheBackground) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* speed = Control<QComboBox>("Combo4");
    MoveOver(Control("LabelCH1"));
    speed->setFocus();
    ASSERT_TRUE(speed->hasFocus());
    Turn(speed, 120);
    EXPECT_EQ(Band(1), "4");

    // Crossing the background hands the focus to the focus sink; the wheel is the bands' again.
    MoveOverBackground();
    EXPECT_TRUE(Control<QWidget>("Picture1")->hasFocus());
    MoveOver(Control("LabelCH1"));
    Turn(speed, 120);
    EXPECT_EQ(Band(1), "5");

    // The address list reports losing the focus (the program then takes its address).
    Control<QComboBox>("Combo1")->setFocus();
    EXPECT_EQ(actions.calls, std::vector<std::string>{});
    MoveOverBackground();
    EXPECT_EQ(actions.calls, std::vector<std::string>{"AddressBoxFocusLost"});
}

TEST_F(MainWindowTest, LabelsHoveredInARowMoveTogetherAndTheMarkerFollowsTheLast) {
    MoveOver(Control("LabelCH3"));
    MoveOver(Control("LabelCH4"));
    EXPECT_EQ(ColourOf("LabelCH3"), colours::BrightGreen);
    EXPECT_EQ(ColourOf("LabelCH4"), colours::BrightGreen);
    PanelLabel* marker = Control("Label6");
    EXPECT_TRUE(marker->isVisible());
    EXPECT_EQ(marker->geometry(), QRect(MarkerLeftPixels(14), 176, 11, 9));

    Turn(&window, 120);
    EXPECT_EQ(Band(3), "13");
    EXPECT_EQ(Band(4), "15");
    EXPECT_EQ(marker->x(), MarkerLeftPixels(15));

    MoveOverBackground();
    EXPECT_EQ(ColourOf("LabelCH3"), colours::DarkGreen);
    EXPECT_FALSE(marker->isVisible());
    Turn(&window, 240);
    EXPECT_EQ(Band(3), "13");
}

TEST_F(MainWindowTest, HoverTurnsCaptionsBlueUntilTheBackgroundUnlessSelected) {
    model.outputs.OutputMode = ReadOutputMode("FTDI");
    model.captions.label11 = colours::Blue;
    window.RefreshAll();

    MoveOver(Control("Label10"));
    EXPECT_EQ(ColourOf("Label10"), colours::Blue);
    MoveOver(Control("Label15"));
    MoveOver(Control("Label7"));
    EXPECT_EQ(ColourOf("Label15"), colours::Blue);
    EXPECT_EQ(ColourOf("Label7"), colours::Blue);

    MoveOverBackground();
    EXPECT_EQ(ColourOf("Label10"), colours::Grey);
    EXPECT_EQ(model.captions.label10, colours::Grey);
    EXPECT_EQ(ColourOf("Label11"), colours::Blue);
    EXPECT_EQ(ColourOf("Label15"), colours::Grey);
    EXPECT_EQ(ColourOf("Label7"), colours::Grey);
}

TEST_F(MainWindowTest, MovesOverControlsAreNotTheBackground) {
    MoveOver(Control("LabelCH2"));
    MoveOver(Control<Slider>("Slider1_2"));
    MoveOver(Control<QWidget>("Combo4"));
    MoveOver(Control("Label19"));
    EXPECT_EQ(ColourOf("LabelCH2"), colours::BrightGreen);
    // A lamp is no control of its own: the pointer over it is over the background.
    MoveOver(&window, PanelLights::Box({PanelLight::Kind::Lamp, 2}).center());
    EXPECT_EQ(ColourOf("LabelCH2"), colours::DarkGreen);
}

TEST_F(MainWindowTest, SetTogglesBetweenTheTwoWidths) {
    QTest::mouseClick(Control("Label15"), Qt::LeftButton);
    EXPECT_EQ(model.widthTwips, 6655.0f);
    EXPECT_EQ(window.width(), 444);
    QTest::mouseClick(Control("Label15"), Qt::LeftButton);
    EXPECT_EQ(model.widthTwips, 9650.0f);
    EXPECT_EQ(window.width(), 643);

    model.widthTwips = 9000.0f;
    window.RefreshAll();
    EXPECT_EQ(window.width(), 600);
    QTest::mouseClick(Control("Label15"), Qt::LeftButton);
    EXPECT_EQ(model.widthTwips, 9650.0f);
    EXPECT_EQ(window.height(), 393);
}

TEST_F(MainWindowTest, AHugeRestoredWidthIsShownNoWiderThanTheScreens) {
    model.widthTwips = 1.0e9f;  // a hand-edited settings file
    window.RefreshAll();
    // The fixed size is what the desktop gets; some platforms cap the window itself.
    const int widest = std::max(643, window.screen()->virtualSize().width());
    EXPECT_EQ(window.minimumWidth(), widest);
    EXPECT_EQ(window.maximumWidth(), widest);
    EXPECT_EQ(model.widthTwips, 1.0e9f);
    QTest::mouseClick(Control("Label15"), Qt::LeftButton);
    EXPECT_EQ(window.width(), 643);

    model.widthTwips = 0.0f;
    window.RefreshAll();
    EXPECT_EQ(window.width(), 1);
}

TEST_F(MainWindowTest, PressesOnTheBackgroundAndTheInputCaptionMoveTheWindow) {
    QTest::mousePress(&window, Qt::RightButton, {}, QPoint(6, 200));
    QTest::mouseRelease(&window, Qt::RightButton, {}, QPoint(6, 200));
    EXPECT_EQ(moveRequests, 1);
    QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(470, 300));
    QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(470, 300));
    QTest::mousePress(Control("Label2"), Qt::MiddleButton);
    QTest::mouseRelease(Control("Label2"), Qt::MiddleButton);
    const QPoint lamp = PanelLights::Box({PanelLight::Kind::Lamp, 0}).center();
    EXPECT_EQ(window.childAt(lamp), nullptr);  // lamps are background
    QTest::mousePress(&window, Qt::LeftButton, {}, lamp);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, lamp);
    EXPECT_EQ(moveRequests, 4);

    QTest::mousePress(Control<Slider>("Slider1_0"), Qt::LeftButton);
    QTest::mouseRelease(Control<Slider>("Slider1_0"), Qt::LeftButton);
    QTest::mousePress(Control("Label19"), Qt::LeftButton);
    QTest::mouseRelease(Control("Label19"), Qt::LeftButton);
    EXPECT_EQ(moveRequests, 4);
}

TEST_F(MainWindowTest, TogglesAndButtonsAskTheProgram) {
    QTest::mousePress(Control("Label9"), Qt::RightButton);  // LPT: any press
    QTest::mouseRelease(Control("Label9"), Qt::RightButton);
    QTest::mousePress(Control("Label5"), Qt::LeftButton);  // AUTO: any press
    QTest::mouseRelease(Control("Label5"), Qt::LeftButton);
    QTest::mouseClick(Control("Label10"), Qt::RightButton);  // COM: left clicks only
    for (const char* name : {"Label10", "Label11", "Label12", "Label13", "Label14", "LabelDmx",
                             "Picture5", "Picture4"}) {
        QTest::mouseClick(Control(name), Qt::LeftButton);
    }
    // A press that leaves the caption before its release is no click.
    QTest::mousePress(Control("Label10"), Qt::LeftButton);
    QTest::mouseRelease(Control("Label10"), Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"Lpt", "Auto", "Com", "Ftdi", "Keyboard",
                                                       "Usb3", "Usb8", "Dmx", "Hide", "Exit"}));
}

TEST_F(MainWindowTest, ADoubleClickedToggleSwitchesOnce) {
    // A double click arrives as a click, then the double click and its release.
    for (const char* name : {"Label10", "Label9"}) {  // COM: clicks; LPT: presses
        QTest::mouseClick(Control(name), Qt::LeftButton);
        QTest::mouseDClick(Control(name), Qt::LeftButton);
    }
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"Com", "Lpt"}));
}

TEST_F(MainWindowTest, TogglesShowTheColoursTheProgramGaveThem) {
    struct SelectingActions : RecordingViewActions {
        using RecordingViewActions::RecordingViewActions;
        void PressToggle(Toggle toggle) override {
            if (toggle == Toggle::Com) {
                model_.captions.label10 = colours::Blue;
            }
        }
    } selecting{model};
    MainWindow second(model, selecting, selecting);
    second.show();
    QTest::mouseClick(second.findChild<PanelLabel*>("Label10"), Qt::LeftButton);
    EXPECT_EQ(second.findChild<PanelLabel*>("Label10")->TextColour(), colours::Blue);
}

TEST_F(MainWindowTest, DmxEntriesTakeNumbersInRangeAndTheKeyNamesTheUniverse) {
    auto* universe = Control<QLineEdit>("TextUniverse");
    auto* address = Control<QLineEdit>("TextAddress");
    EXPECT_EQ(universe->text(), "1");
    universe->setFocus();
    QTest::keyClicks(universe, "2");
    QTest::keyClick(universe, Qt::Key_Return);
    EXPECT_EQ(model.dmx.universe.Value(), 12);
    // The twelve channels must fit the universe: 502 is refused and 1 shown again.
    address->setFocus();
    address->selectAll();
    QTest::keyClicks(address, "502");
    QTest::keyClick(address, Qt::Key_Return);
    EXPECT_EQ(model.dmx.startAddress.Value(), 1);
    EXPECT_EQ(address->text(), "1");
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(),
              "ADDRESS takes a number from 1 to 501: \"502\" was not taken, it stays 1.");
    address->selectAll();
    QTest::keyClicks(address, "490");
    QTest::keyClick(address, Qt::Key_Return);
    EXPECT_EQ(model.dmx.startAddress.Value(), 490);
    EXPECT_EQ(Control("LabelDmx")->toolTip(),
              "DMX through OLA: universe 12, slots 490 to 501 (olad on port 9010)");

    MoveOver(Control("LabelDmx"));
    EXPECT_EQ(ColourOf("LabelDmx"), colours::Blue);
    MoveOverBackground();
    EXPECT_EQ(ColourOf("LabelDmx"), colours::Grey);
    model.dmx.DmxSwitch = ReadOnOff("DMX", kDmxTexts);
    model.dmx.caption = colours::Blue;
    MoveOverBackground();
    EXPECT_EQ(ColourOf("LabelDmx"), colours::Blue);

    // A lost olad shows on the key from the next frame until it is back.
    model.dmx.oladLost = true;
    window.RefreshEngine();
    EXPECT_EQ(Control("LabelDmx")->text(), "LOST");
    EXPECT_EQ(Control("LabelDmx")->toolTip(),
              "DMX through OLA: universe 12, slots 490 to 501 (olad on port 9010): olad lost, "
              "reconnecting");
    model.dmx.oladLost = false;
    window.RefreshEngine();
    EXPECT_EQ(Control("LabelDmx")->text(), "DMX");
    EXPECT_EQ(Control("LabelDmx")->toolTip(),
              "DMX through OLA: universe 12, slots 490 to 501 (olad on port 9010)");
}

// A serial port pulled out shows on the caption of the mode in use, from the next frame until
// it is opened again.
TEST_F(MainWindowTest, ALostSerialPortShowsOnTheCaptionOfTheModeInUse) {
    const std::string line = "serial port 1 (/dev/ttyUSB0) lost: Input/output error";
    model.outputs.OutputMode = ReadOutputMode("USB8LED");
    model.serialPortLost = line;
    window.RefreshEngine();
    EXPECT_EQ(Control("Label14")->text(), "LOST");
    EXPECT_EQ(Control("Label14")->toolTip(), QString::fromStdString(line));
    EXPECT_EQ(Control("Label10")->text(), "COM");

    model.outputs.OutputMode = ReadOutputMode("COM");
    window.RefreshEngine();
    EXPECT_EQ(Control("Label10")->text(), "LOST");
    EXPECT_EQ(Control("Label14")->text(), "USB-D 8");
    EXPECT_EQ(Control("Label14")->toolTip(), "");

    model.serialPortLost.clear();
    window.RefreshEngine();
    EXPECT_EQ(Control("Label10")->text(), "COM");
    EXPECT_EQ(Control("Label10")->toolTip(), "");
}

TEST_F(MainWindowTest, SlidersWriteTheModel) {
    auto* level = Control<Slider>("sLevel");
    QTest::mousePress(level, Qt::LeftButton, {}, QPoint(8, 11));  // jump to the top
    QTest::mouseRelease(level, Qt::LeftButton, {}, QPoint(8, 11));
    EXPECT_EQ(model.sLevel.Value(), 254);
    EXPECT_EQ(actions.calls, std::vector<std::string>{"Level"});

    ASSERT_TRUE(Control<Slider>("Slider1_2")->SetValue(17));
    ASSERT_TRUE(Control<Slider>("Slider2")->SetValue(100));
    EXPECT_EQ(model.channels[2].threshold.Value(), 17);
    EXPECT_EQ(model.slider2.Value(), 100);

    model.channels[9].threshold.Set(3);
    window.RefreshAll();
    EXPECT_EQ(Control<Slider>("Slider1_9")->Value(), 3);
}

TEST_F(MainWindowTest, AddAndDelEditTheAddressList) {
    auto* addresses = Control<QComboBox>("Combo1");
    QTest::mouseClick(Control("Label7"), Qt::LeftButton);
    EXPECT_EQ(addresses->count(), 0);

    QTest::keyClicks(Control<QLineEdit>("Text1"), "378");
    QTest::mouseClick(Control("Label7"), Qt::LeftButton);
    EXPECT_EQ(addresses->count(), 1);
    EXPECT_EQ(addresses->currentText(), "378");
    EXPECT_EQ(model.combo1.Text(), "378");

    QTest::mouseClick(Control("Label8"), Qt::LeftButton);
    EXPECT_EQ(addresses->count(), 0);
    EXPECT_EQ(model.combo1.Count(), 0);
}

TEST_F(MainWindowTest, ListsShowTheModelAndReportTheUsersChoice) {
    model.capture.devices = ChoiceList({"Line in", "Monitor"});
    model.capture.devices.SetIndex(1);
    model.capture.inputs = ChoiceList({"Mic", "Line"});
    window.RefreshAll();
    auto* devices = Control<QComboBox>("Combo3");
    EXPECT_EQ(devices->count(), 2);
    EXPECT_EQ(devices->currentText(), "Monitor");
    EXPECT_EQ(Control<QComboBox>("cmbInput")->currentIndex(), -1);
    EXPECT_EQ(Control<QComboBox>("Combo4")->count(), 4);

    emit devices->activated(0);
    emit Control<QComboBox>("cmbInput")->activated(1);
    EXPECT_EQ(model.capture.devices.Index(), 0);
    EXPECT_EQ(model.capture.inputs.Index(), 1);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"Device0", "Input1"}));

    auto* port = Control<QComboBox>("Combo2");
    port->setEditText("12");
    EXPECT_EQ(model.combo2.Text(), "12");
    EXPECT_EQ(model.combo2.Index(), -1);
    emit Control<QComboBox>("Combo4")->activated(2);
    EXPECT_EQ(model.combo4.Text(), "3");
}

TEST_F(MainWindowTest, TheDeviceListShowsLongNamesInFull) {
    auto* devices = Control<QComboBox>("Combo3");
    // Drawn as a style whose popups are only as wide as their box by themselves.
    std::unique_ptr<QStyle> plain(QStyleFactory::create(QStringLiteral("windows")));
    ASSERT_NE(plain, nullptr);
    devices->setStyle(plain.get());
    const QString longest = QStringLiteral("Monitor of Built-in Audio Digital Stereo (HDMI 3)");
    model.capture.devices = ChoiceList({"Mic", longest.toStdString()});
    model.capture.devices.SetIndex(1);
    window.RefreshAll();
    const int boxWidth = devices->width();
    EXPECT_EQ(devices->toolTip(), longest);

    devices->showPopup();
    QWidget* popup = devices->view()->window();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_GE(devices->view()->width(), devices->view()->fontMetrics().horizontalAdvance(longest));
    EXPECT_GT(popup->width(), boxWidth);
    devices->hidePopup();
    EXPECT_EQ(devices->width(), boxWidth);
    devices->setStyle(nullptr);
}

TEST_F(MainWindowTest, ClosingIsReportedEvenAfterTheExitButton) {
    // The program decides whether a close still matters: after a failed save it does.
    window.close();
    EXPECT_EQ(actions.calls, std::vector<std::string>{"Closed"});

    window.show();
    QTest::mouseClick(Control("Picture4"), Qt::LeftButton);
    window.close();
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"Closed", "Exit", "Closed"}));
}

TEST_F(MainWindowTest, SpectrumShowsTheEngineImageWithHeightColours) {
    // Band 2 three rows high, band 31 full height; rows are stored bottom first.
    model.spectrumImage.assign(424 * 128 + 1, 0);
    for (int row = 0; row < 127; ++row) {
        for (int col = 0; col < 12; ++col) {
            if (row < 3) {
                model.spectrumImage[static_cast<size_t>(row * 424 + 26 + col)] =
                    static_cast<uint8_t>(row + 1);
            }
            model.spectrumImage[static_cast<size_t>(row * 424 + 403 + col)] =
                static_cast<uint8_t>(row + 1);
        }
    }
    window.RefreshSpectrum();
    const QImage shown = Control<QWidget>("Picture2")->grab().toImage();
    EXPECT_EQ(shown.pixel(30, 126), qRgb(2, 254, 0));
    EXPECT_EQ(shown.pixel(30, 124), qRgb(6, 250, 0));
    EXPECT_EQ(shown.pixel(30, 123), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(38, 126), qRgb(0, 0, 0));  // the gap after the bar
    EXPECT_EQ(shown.pixel(410, 0), qRgb(254, 2, 0));

    // A short image shows black where it has no bytes.
    model.spectrumImage.resize(424);
    window.RefreshSpectrum();
    const QImage partial = Control<QWidget>("Picture2")->grab().toImage();
    EXPECT_EQ(partial.pixel(30, 126), qRgb(2, 254, 0));
    EXPECT_EQ(partial.pixel(410, 0), qRgb(0, 0, 0));

    // Before the first spectrum tick there is no image at all: all black.
    model.spectrumImage.clear();
    window.RefreshSpectrum();
    EXPECT_EQ(Control<QWidget>("Picture2")->grab().toImage().pixel(30, 126), qRgb(0, 0, 0));
}

TEST_F(MainWindowTest, LampsIndicatorsAndMetersFollowTheEngine) {
    const QImage skin = LoadSkin().background;
    const QImage indicator = LoadSkin().channel;
    model.engine.lampLit[3] = true;
    model.engine.indicatorVisible[3] = true;
    model.engine.meterSegments[0] = true;
    model.engine.meterSegments[13] = true;
    model.engine.meterSegments[23] = true;
    model.engine.AutoThreshold[4] = 7.5f;
    window.RefreshEngine();
    QImage shown = window.grab().toImage();
    // Each lamp in its channel's colour, a quarter of it while dark.
    EXPECT_EQ(shown.pixel(160, 376), qRgb(197, 255, 0));  // lamp 3 lit
    EXPECT_EQ(shown.pixel(192, 376), qRgb(23, 63, 0));    // lamp 4 dark
    EXPECT_EQ(shown.pixel(158, 230), indicator.pixel(6, 6));
    EXPECT_EQ(shown.pixel(190, 230), skin.pixel(190, 230));
    EXPECT_EQ(shown.pixel(67, 354), qRgb(0, 0, 192));  // segment 0: blue at the foot
    EXPECT_EQ(shown.pixel(67, 346), skin.pixel(67, 346));
    EXPECT_EQ(shown.pixel(387, 346), qRgb(0, 0, 192));  // segment 13
    EXPECT_EQ(shown.pixel(387, 266), qRgb(255, 0, 0));  // segment 23: red at the top
    EXPECT_EQ(window.Lights().AutoLevel(4), 7);

    model.engine.lampLit[3] = false;
    model.engine.meterSegments[23] = false;
    model.channels[4].colour = LampColour{0, 0, 255};
    window.RefreshEngine();
    shown = window.grab().toImage();
    EXPECT_EQ(shown.pixel(160, 376), qRgb(49, 63, 0));
    EXPECT_EQ(shown.pixel(192, 376), qRgb(0, 0, 63));
    EXPECT_EQ(shown.pixel(387, 266), skin.pixel(387, 266));
}

TEST_F(MainWindowTest, RendersThePanelWithSkinSpectrumAndLamps) {
    // A music-like frame: tall bars in the bass, falling towards the treble.
    model.spectrumImage.assign(424 * 128 + 1, 0);
    for (int band = 0; band < kBandCount; ++band) {
        const int height = std::max(4, 118 - band * 3 - (band % 3) * 9);
        for (int row = 0; row < height; ++row) {
            for (int col = 0; col < 12; ++col) {
                model.spectrumImage[static_cast<size_t>(row * 424 + 13 * band + col)] =
                    static_cast<uint8_t>(row + 1);
            }
        }
    }
    for (size_t i : {0u, 2u, 3u, 5u, 8u}) {
        model.engine.lampLit[i] = true;
        model.engine.indicatorVisible[i] = true;
    }
    for (size_t k = 0; k < 8; ++k) {
        model.engine.meterSegments[k] = true;
        model.engine.meterSegments[12 + k] = true;
    }
    model.capture.devices = ChoiceList({"Line in", "Monitor"});
    model.capture.devices.SetIndex(1);
    model.capture.inputs = ChoiceList(std::vector<std::string>{"Line"});
    model.capture.inputs.SetIndex(0);
    model.combo4.SetIndex(1);
    model.combo1.Add("378");
    model.combo1.SetIndex(0);
    model.combo2.SetIndex(0);
    model.outputs.OutputMode = ReadOutputMode("COM");
    model.captions.label10 = colours::Blue;
    model.channels[4].threshold.Set(18);
    model.slider2.Set(200);
    model.sLevel.Set(120);
    window.RefreshAll();
    MoveOver(Control("LabelCH4"));

    const QImage panel = window.grab().toImage();
    if (const QByteArray path = qgetenv("ZEB_PANEL_PNG"); !path.isEmpty()) {
        panel.save(QString::fromLocal8Bit(path));
    }
    ASSERT_EQ(panel.size(), QSize(643, 393));
    EXPECT_EQ(panel.pixel(136, 376), qRgb(255, 209, 0));  // lamp 2 lit
    EXPECT_EQ(panel.pixel(112, 376), qRgb(63, 26, 0));    // lamp 1 dark
    EXPECT_EQ(panel.pixel(19, 174), qRgb(2, 254, 0));     // foot of the first bar
    EXPECT_EQ(panel.pixel(MarkerLeftPixels(14) + 5, 180), qRgb(0, 0, 255));  // band marker
    EXPECT_EQ(panel.pixel(470, 300), LoadSkin().background.pixel(470, 300));

    // The whole picture as the window drew it before its lamps and meters became its own
    // painting (tests/ui/data/panel.png, saved through ZEB_PANEL_PNG).
    const QImage before =
        QImage(QStringLiteral(ZEB_UI_TEST_DATA "/panel.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(before.size(), panel.size());
    const QImage now = panel.convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < now.height(); ++y) {
        for (int x = 0; x < now.width(); ++x) {
            differing += now.pixel(x, y) != before.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(MainWindowTest, TheFirstStartHintStaysUntilTheUserMovesASlider) {
    window.ShowFirstStartHint(true);
    PanelLabel* hint = Control("LabelHint");
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().contains("GAIN"));
    // The window showing other values of the model is no move of the user.
    model.slider2.Set(30);
    window.RefreshAll();
    EXPECT_TRUE(hint->isVisible());
    QTest::keyClick(Control<Slider>("Slider1_2"), Qt::Key_Up);
    EXPECT_FALSE(hint->isVisible());
}

}  // namespace
}  // namespace zeb

namespace zeb {
namespace {

TEST_F(MainWindowTest, ActivationCountsWithinTheProgramButNotComingBackFromAnother) {
    QWidget other;
    const auto activate = [](QWidget& widget) {
        widget.show();
        widget.activateWindow();
        return QTest::qWaitForWindowActive(&widget);
    };
    ASSERT_TRUE(activate(window));
    actions.activations = 0;

    ASSERT_TRUE(activate(other));
    ASSERT_TRUE(activate(window));
    EXPECT_EQ(actions.activations, 1) << "back from another window of the program";

    ASSERT_TRUE(activate(other));
    // The user leaves for another program (no window of ours has the focus), then returns.
    emit qApp->focusWindowChanged(nullptr);
    ASSERT_TRUE(activate(window));
    EXPECT_EQ(actions.activations, 1) << "back from another program";

    // Hidden to the tray, the program has no focus window; a click on the icon shows it again.
    window.hide();
    ASSERT_TRUE(activate(other));
    other.hide();
    emit qApp->focusWindowChanged(nullptr);
    ASSERT_TRUE(activate(window));
    EXPECT_EQ(actions.activations, 2) << "shown again from the tray";
}

}  // namespace
}  // namespace zeb

// Keyboard and assistive technology.

#include <QAccessible>

namespace zeb {
namespace {

// The window's control that holds the keyboard focus (an editable list's entry counts as the list).
QString FocusedControl(const QWidget& window) {
    QWidget* focus = QApplication::focusWidget();
    while (focus != nullptr && focus->parentWidget() != &window) {
        focus = focus->parentWidget();
    }
    return focus != nullptr ? focus->objectName() : QString();
}

std::vector<QString> TabThrough(QWidget& window, int presses,
                                Qt::KeyboardModifiers modifiers = {}) {
    std::vector<QString> visited;
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
        visited.push_back(FocusedControl(window));
    }
    return visited;
}

TEST_F(MainWindowTest, TabWalksTheControlsInReadingOrderAndSkipsTheHiddenColumn) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    MoveOverBackground();  // the focus sink: Tab starts at the first control

    std::vector<QString> order{"Label9",   "Label10",    "Label11", "Label12",
                               "Label13",  "Label14",    "Label15", "Picture5",
                               "Picture4", "LabelTempo", "Label5",  "sLevel"};
    for (int i = 0; i < kChannelCount; ++i) {
        order.push_back(QString("LabelCH%1").arg(i));
        order.push_back(QString("Slider1_%1").arg(i));
    }
    order.push_back("Lamps");  // one stop; the arrow keys go from lamp to lamp
    order.insert(order.end(), {"Slider2", "LabelDmx", "TextUniverse", "TextAddress", "ComboLayout",
                               "cmbInput", "Combo3", "Combo4", "Combo1", "Label8", "Text1",
                               "Label7", "Combo2", "TextDelay", "Label9"});
    EXPECT_EQ(TabThrough(window, static_cast<int>(order.size())), order);
    EXPECT_EQ(TabThrough(window, 2, Qt::ShiftModifier),
              (std::vector<QString>{"TextDelay", "Combo2"}));

    // Collapsed, the settings column is out of reach: back from the first control is GAIN.
    QTest::mouseClick(Control("Label15"), Qt::LeftButton);
    EXPECT_EQ(FocusedControl(window), "Label15");  // a click gives the focus too
    TabThrough(window, 6, Qt::ShiftModifier);
    EXPECT_EQ(TabThrough(window, 1, Qt::ShiftModifier), std::vector<QString>{"Slider2"});
}

TEST_F(MainWindowTest, OnlyTheKeyboardShowsTheFocusMark) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* slider = Control<Slider>("Slider1_0");
    const QImage idle = slider->grab().toImage();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(8, 98));  // on the thumb: no change
    ASSERT_TRUE(slider->hasFocus());
    EXPECT_EQ(slider->grab().toImage(), idle);
    QTest::keyClick(slider, Qt::Key_Home);  // the keyboard is in use now
    EXPECT_EQ(slider->Value(), 0);
    // Dots of white and the captions' blue round the control.
    const QImage marked = slider->grab().toImage();
    EXPECT_EQ(marked.pixel(4, 0) | marked.pixel(5, 0), qRgb(255, 255, 255));
    EXPECT_EQ(marked.pixel(4, 0) & marked.pixel(5, 0), qRgb(0, 0, 255));
}

TEST_F(MainWindowTest, EnterAndTheMenuKeyOnAFocusedLampOpenItsColourDialog) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QImage idle = window.grab().toImage();
    Control<QWidget>("Slider1_11")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    auto* lamps = Control<QWidget>("Lamps");
    ASSERT_TRUE(lamps->hasFocus());
    const auto openDialog = [this](int key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
        const auto dialogs = window.findChildren<QColorDialog*>();
        QString name = dialogs.size() == 1 && dialogs[0]->isVisible() ? dialogs[0]->accessibleName()
                                                                      : QString();
        for (QColorDialog* dialog : dialogs) {
            dialog->reject();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return name;
    };
    QTest::keyClick(lamps, Qt::Key_End);
    QTest::keyClick(lamps, Qt::Key_Left);
    EXPECT_EQ(openDialog(Qt::Key_Return, {}), "Channel 10 colour");
    QTest::keyClick(lamps, Qt::Key_Home);
    QTest::keyClick(lamps, Qt::Key_Right);
    EXPECT_EQ(openDialog(Qt::Key_Menu, {}), "Channel 1 colour");
    EXPECT_EQ(openDialog(Qt::Key_F10, Qt::ShiftModifier), "Channel 1 colour");
    EXPECT_EQ(openDialog(Qt::Key_F10, {}), "");

    // The focused lamp says so, and shows the mark round it, clear of its rim.
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&window);
    QAccessibleInterface* lamp = frame->focusChild();
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->text(QAccessible::Name), "Channel 1 lamp");
    EXPECT_TRUE(lamp->state().focused);
    const QRect box = PanelLights::Box({PanelLight::Kind::Lamp, 1});
    const QImage marked = window.grab().toImage();
    EXPECT_NE(marked.pixel(box.center().x(), box.top() - 2),
              idle.pixel(box.center().x(), box.top() - 2));
    EXPECT_EQ(marked.pixel(box.center()), idle.pixel(box.center()));
    QTest::keyClick(lamps, Qt::Key_Tab);
    EXPECT_FALSE(lamp->state().focused);
}

TEST_F(MainWindowTest, KeysAskTheProgramAsTheMouseDoes) {
    QTest::keyClick(Control("Label9"), Qt::Key_Return);  // LPT: a press
    QTest::keyClick(Control("Label10"), Qt::Key_Space);  // COM: a click
    QTest::keyClick(Control("Label5"), Qt::Key_Enter);   // AUTO
    QTest::keyClick(Control("Picture5"), Qt::Key_Space);
    // A held key is one click: its repeats switch nothing.
    QTest::keyPress(Control("Label12"), Qt::Key_Space);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
    QApplication::sendEvent(Control("Label12"), &repeat);
    QTest::keyClick(Control<Slider>("sLevel"), Qt::Key_PageUp);  // a fifth of 0..254
    QTest::keyClick(Control("LabelTempo"), Qt::Key_Space);       // a tap of the tempo
    QTest::mousePress(Control("LabelTempo"), Qt::LeftButton);    // taps as the button goes down
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"Lpt", "Com", "Auto", "Hide", "Keyboard",
                                                       "Level", "Tap", "Tap"}));
    EXPECT_EQ(model.sLevel.Value(), 51);

    // A band caption takes the keyboard as it takes the wheel: highlighted while focused, one
    // notch a key, held within 0..31 and the beat above them, the marker under its band.
    model.channels[7].bandCaption = "30";
    window.RefreshAll();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    PanelLabel* band = Control("LabelCH7");
    band->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(band->TextColour(), colours::BrightGreen);
    QTest::keyClick(band, Qt::Key_Plus);
    QTest::keyClick(band, Qt::Key_Up);
    QTest::keyClick(band, Qt::Key_Up);
    EXPECT_EQ(Band(7), "B");
    QTest::keyClick(band, Qt::Key_Down);
    QTest::keyClick(band, Qt::Key_Minus);
    EXPECT_EQ(model.channels[7].bandCaption, "30");
    EXPECT_EQ(Control("Label6")->x(), MarkerLeftPixels(30));
    EXPECT_TRUE(Control("Label6")->isVisible());

    QTest::keyClick(band, Qt::Key_Tab);
    EXPECT_EQ(band->TextColour(), colours::DarkGreen);
    EXPECT_FALSE(Control("Label6")->isVisible());

    // The show key hides the window as the hide button does, from any control.
    actions.calls.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(actions.calls, std::vector<std::string>{"Hide"});
}

TEST_F(MainWindowTest, ControlsTellAssistiveTechnologyTheirRoleNameValueAndState) {
    const auto query = [this](const char* name) {
        QAccessibleInterface* found = QAccessible::queryAccessibleInterface(Control<QWidget>(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    };
    QAccessibleInterface* slider = query("Slider1_3");
    EXPECT_EQ(slider->role(), QAccessible::Slider);
    EXPECT_EQ(slider->text(QAccessible::Name), "Channel 3 threshold");
    QAccessibleValueInterface* threshold = slider->valueInterface();
    ASSERT_NE(threshold, nullptr);
    EXPECT_EQ(threshold->maximumValue(), 25);
    threshold->setCurrentValue(7);  // as the keys would
    EXPECT_EQ(model.channels[3].threshold.Value(), 7);
    EXPECT_EQ(threshold->currentValue(), 7);
    EXPECT_EQ(query("sLevel")->text(QAccessible::Name), "Input volume");

    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&window);
    EXPECT_EQ(frame->role(), QAccessible::Window);
    const auto part = [frame](const QString& name) -> QAccessibleInterface* {
        for (int i = 0; i < frame->childCount(); ++i) {
            if (frame->child(i)->text(QAccessible::Name) == name) {
                return frame->child(i);
            }
        }
        ADD_FAILURE() << name.toStdString();
        return nullptr;
    };

    QAccessibleInterface* ftdi = query("Label11");
    EXPECT_EQ(ftdi->role(), QAccessible::CheckBox);
    EXPECT_EQ(ftdi->text(QAccessible::Name), "USB FTDI");
    EXPECT_TRUE(ftdi->state().checkable);
    EXPECT_FALSE(ftdi->state().checked);
    EXPECT_TRUE(ftdi->state().focusable);
    ftdi->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(actions.calls, std::vector<std::string>{"Ftdi"});
    model.outputs.OutputMode = ReadOutputMode("FTDI");
    window.RefreshAll();
    EXPECT_TRUE(ftdi->state().checked);
    EXPECT_FALSE(query("Label7")->state().checkable);  // "ADD" is a plain button

    QAccessibleInterface* band = query("LabelCH3");
    EXPECT_EQ(band->role(), QAccessible::SpinBox);
    EXPECT_EQ(band->text(QAccessible::Name), "Channel 3 band");
    EXPECT_EQ(band->text(QAccessible::Value), "12");
    EXPECT_EQ(band->valueInterface()->maximumValue(), 32);  // 32: the beat, "B"
    // Its own actions change its own band, whatever the pointer highlighted.
    MoveOver(Control("LabelCH1"));
    band->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
    band->valueInterface()->setCurrentValue(15);
    EXPECT_EQ(model.channels[3].bandCaption, "15");
    EXPECT_EQ(model.channels[1].bandCaption, "4");

    QAccessibleInterface* lamp = part("Channel 3 lamp");
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->role(), QAccessible::CheckBox);
    EXPECT_TRUE(lamp->state().readOnly);
    EXPECT_FALSE(lamp->state().checked);
    EXPECT_EQ(lamp->rect().size(), QSize(17, 17));
    EXPECT_EQ(frame->indexOfChild(lamp), frame->childCount() - 12 - 2 - 12 + 3);
    QAccessibleInterface* meter = part("Left level meter");
    ASSERT_NE(meter, nullptr);
    EXPECT_EQ(meter->role(), QAccessible::ProgressBar);
    QAccessibleInterface* autoLevel = part("Channel 4 auto level");
    ASSERT_NE(autoLevel, nullptr);
    EXPECT_EQ(autoLevel->valueInterface()->maximumValue(), 32);
    QAccessibleInterface* spectrum = query("Picture2");
    EXPECT_EQ(spectrum->role(), QAccessible::Graphic);
    EXPECT_FALSE(spectrum->text(QAccessible::Description).isEmpty());

    model.engine.lampLit[3] = true;
    model.engine.meterSegments[0] = model.engine.meterSegments[1] = true;
    model.engine.AutoThreshold[4] = 20.0f;
    window.RefreshEngine();
    EXPECT_TRUE(lamp->state().checked);
    EXPECT_EQ(lamp->text(QAccessible::Value), "lit");
    EXPECT_EQ(meter->valueInterface()->currentValue(), 2);
    EXPECT_EQ(autoLevel->valueInterface()->currentValue(), 20);

    // The lists are named by labels of their own.
    const auto labels = query("cmbInput")->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->text(QAccessible::Name), "Audio input");
}

}  // namespace
}  // namespace zeb
