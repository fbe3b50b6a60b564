#pragma once
// The main window: a frameless, fixed-size panel that shows the program's model (spectrum,
// channel strips, meters, toggles, device settings) and turns pointer, key and wheel input
// into the program's actions (ProgramActions) and the window's own (MainWindowActions).

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/ProgramActions.h"
#include "core/ProgramModel.h"
#include "ui/LampRow.h"
#include "ui/PanelLabel.h"
#include "ui/PanelLights.h"
#include "ui/Skin.h"
#include "ui/Slider.h"
#include "ui/SpectrumView.h"
#include "ui/logic/MainWindowActions.h"
#include "ui/logic/WindowLogic.h"
#include "ui/logic/WindowState.h"

namespace zeb {

class MainWindow : public QWidget {
    Q_OBJECT

  public:
    // Starts the desktop's interactive move of the window under the pressed button.
    using MoveRequest = std::function<void()>;

    // Hides the window as the hide button does, from any control of it. The program also asks
    // the desktop for it everywhere, to show the window again (see GlobalKey).
    static constexpr QKeyCombination kShowKey{Qt::ControlModifier | Qt::AltModifier, Qt::Key_Z};

    MainWindow(const ProgramModel& model, ProgramActions& program, MainWindowActions& window,
               QWidget* parent = nullptr);

    // Shows the model's spectrum image (every spectrum tick).
    void RefreshSpectrum();
    // Shows lamps, indicators, meter segments and automatic thresholds (every engine tick).
    void RefreshEngine();
    // Shows the whole model: captions, bands, sliders, lists, width, spectrum and engine.
    void RefreshAll();
    // The first start's hint on the panel (what to raise to light the lamps); it goes by
    // itself once the user moves a slider.
    void ShowFirstStartHint(bool shown);

    // The web page's address with its token, while the page is on: the settings column's
    // address label names the page's host and port, its tooltip the whole address with
    // `qrCode`, the address as a QR code.
    void ShowWebAddress(const QString& address, const QString& hostAndPort, const QImage& qrCode);

    // The lamps, indicators, meters and automatic-threshold bars as the window shows them.
    const PanelLights& Lights() const { return lights_; }
    // The focus stop of the lamps.
    const LampRow& Lamps() const { return *lamps_; }

    // Replaces the way a window move is started (tests record it instead).
    void SetMoveRequest(MoveRequest request) { moveRequest_ = std::move(request); }
    const WindowState& State() const { return state_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Tab and Shift+Tab: through the controls in reading order, skipping those the collapsed
    // window does not show.
    bool focusNextPrevChild(bool next) override;

  private:
    // Construction, one part of the panel each.
    void BuildTopRow();
    void BuildSpectrum();
    void BuildChannelStrips();
    void BuildMetersAndLevels();
    void BuildSettingsColumn();
    PanelLabel* AddLabel(const char* name, const QRect& box, const QString& text,
                         const QFont& font);
    PanelLabel* AddCaption(Caption caption, const char* name, const QRect& box, const QString& text,
                           const QFont& font);
    Slider* AddSlider(const char* name, const QRect& box, int32_t max);
    QComboBox* AddList(const char* name, const QRect& box, const QFont& font, bool editable);
    QLineEdit* AddEntry(const char* name, const QRect& box);
    void BuildDmxGroup();
    void RouteWheelFromChildren();
    void ConnectInput();
    void ConnectBandLabel(int channel, PanelLabel* band);
    // Every control in reading order: the caption bar left to right, then the panel below it
    // strip by strip, then the settings column.
    void BuildFocusOrder();

    void BackgroundMoved();
    // The colour dialog of channel `channel`'s lamp; a chosen colour goes to the program.
    void OpenColourDialog(int channel);
    // The channel whose lamp lies under `position`, or -1.
    static int LampAt(const QPoint& position);
    void Wheel(int delta);
    // Runs a request, then shows what it changed.
    void Act(const std::function<void()>& request);

    void RefreshCaptions();
    void RefreshBands();
    void RefreshSliders();
    void RefreshLists();
    void RefreshDmx();
    // The caption of the serial mode in use says "LOST" while its port is away.
    void RefreshSerialPort();
    void RefreshTempo();
    void ApplyWidth();

    const ProgramModel& model_;
    ProgramActions& program_;
    MainWindowActions& windowActions_;
    WindowState state_;
    WindowLogic logic_{model_, state_, program_};
    SkinImages skin_;
    PanelLights lights_{skin_.channel};
    // The parts of lights_ the last engine frame changed, for assistive technology.
    std::vector<PanelLight> changedLights_;
    // Set while the window itself shows the model's slider values: no move of the user.
    bool showingSliders_ = false;
    MoveRequest moveRequest_;
    // The window becomes the program's active window when it is shown or when the user comes
    // back to it from another window of the program; coming back from another program (the
    // program had no focus window meanwhile) is no activation of it.
    bool justShown_ = false;
    bool awayFromProgram_ = false;
    // What the DMX key's tooltip says about olad, so a lost daemon is noticed at the next frame.
    bool shownOladLost_ = false;
    // What the serial captions show of a lost port, so its loss is noticed at the next frame.
    std::string shownSerialPortLost_;
    SerialMode shownSerialMode_ = SerialMode::Off;

    std::map<Caption, PanelLabel*> captions_;
    PanelLabel* selectAudioInput_ = nullptr;
    PanelLabel* hideButton_ = nullptr;
    PanelLabel* exitButton_ = nullptr;
    SpectrumView* spectrum_ = nullptr;
    PanelLabel* marker_ = nullptr;
    PanelLabel* hint_ = nullptr;
    PanelLabel* webAddress_ = nullptr;
    std::array<PanelLabel*, kChannelCount> bandLabels_{};
    std::array<Slider*, kChannelCount> thresholds_{};
    Slider* level_ = nullptr;
    Slider* gain_ = nullptr;
    QComboBox* inputs_ = nullptr;
    QComboBox* devices_ = nullptr;
    QComboBox* speed_ = nullptr;
    QComboBox* addresses_ = nullptr;
    QComboBox* port_ = nullptr;
    QComboBox* dmxLayout_ = nullptr;
    QLineEdit* addressEntry_ = nullptr;
    QLineEdit* dmxUniverse_ = nullptr;
    QLineEdit* dmxAddress_ = nullptr;
    PanelLabel* tempo_ = nullptr;
    std::string shownTempo_;
    QLineEdit* delay_ = nullptr;
    QWidget* focusSink_ = nullptr;
    LampRow* lamps_ = nullptr;
    std::vector<QWidget*> focusOrder_;
};

}  // namespace zeb
