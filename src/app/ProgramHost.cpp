#include "app/ProgramHost.h"

#include <QApplication>
#include <QIcon>

#include "app/SettingsPath.h"
#include "audio/CaptureFactory.h"
#include "audio/CaptureWatch.h"
#include "output/DeviceFactory.h"
#include "ui/DisplayLockStates.h"

namespace zeb {

namespace {

constexpr int kEngineIntervalMs = 35;
// The level and LED timers tick every 10 ms: the peak decay per tick assumes that rate.
constexpr int kFastIntervalMs = 10;

void Prepare(QTimer& timer, int intervalMs) {
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(intervalMs);
}

}  // namespace

ProgramHost::ProgramHost(std::chrono::steady_clock::time_point programStart,
                         const CommandLine& line, SignalEvents& signalEvents)
    : programStart_(programStart),
      signals_(signalEvents),
      capture_(MakeCaptureBackend()),
      devices_(MakeOutputDevices(SimulateFolder(), programStart, DisplayLockStateQuery())),
      messages_(console_, line.verbose, &boxes_),
      signalNotifier_(signalEvents.Fd(), QSocketNotifier::Read),
      program_(model_, *capture_, devices_, messages_, *this,
               line.config ? *line.config : SettingsFilePath()),
      window_(std::make_unique<MainWindow>(model_, *this)),
      tray_(std::make_unique<cSysTray>(window_.get())),
      showKey_(std::make_unique<GlobalKey>(MainWindow::kShowKey)) {
    boxes_.SetParent(window_.get());
    // Also behind a message box: its own event loop delivers the request as well.
    connect(&signalNotifier_, &QSocketNotifier::activated, this, [this] { OnSignal(); });
    tray_->SetTrayIcon(QIcon(QStringLiteral(":/icons/zeb.png")));
    tray_->SetTrayTip(QStringLiteral("ZEB"));
    // The icon is gone after any press, so the window must come back with it: a right press
    // that left it hidden would leave the running program unreachable.
    connect(tray_.get(), &cSysTray::MouseDown, this, &ProgramHost::ShowWindow);
    // Wherever the keyboard is: hides the active window, brings it back from anywhere else.
    connect(showKey_.get(), &GlobalKey::Pressed, this, [this] {
        if (window_->isVisible() && window_->isActiveWindow() && !window_->isMinimized()) {
            HideClicked();
        } else {
            ShowWindow();
        }
    });

    Prepare(engineTimer_, kEngineIntervalMs);
    Prepare(spectrumTimer_, kFastIntervalMs);
    Prepare(levelTimer_, kFastIntervalMs);
    Prepare(keyboardTimer_, kFastIntervalMs);
    connect(&engineTimer_, &QTimer::timeout, this, [this] {
        program_.EngineTick();
        window_->RefreshEngine();
    });
    connect(&spectrumTimer_, &QTimer::timeout, this, [this] {
        program_.SpectrumTick();
        window_->RefreshSpectrum();
    });
    connect(&levelTimer_, &QTimer::timeout, this, [this] { program_.LevelTick(); });
    connect(&keyboardTimer_, &QTimer::timeout, this, [this] { program_.KeyboardTick(); });
    captureWatchTimer_.setInterval(kCaptureWatchInterval);
    connect(&captureWatchTimer_, &QTimer::timeout, this, [this] {
        if (program_.CaptureWatchTick()) {
            window_->RefreshAll();
        }
    });
}

ProgramHost::~ProgramHost() = default;

int ProgramHost::Run() {
    // The engine timer runs from the window's creation; its ticks are handled whenever the
    // event loop runs, also behind a message box of the start-up.
    engineTimer_.start();
    if (program_.StartUp() == Program::Outcome::EndProgram) {
        End(1);
        return status_;
    }
    if (ended_) {
        return status_;  // a signal ended the program behind a start-up message
    }
    NoteCaptureStart(programStart_);
    captureWatchTimer_.start();
    window_->RefreshAll();
    window_->show();
    window_->activateWindow();
    if (ended_) {
        return status_;
    }
    return QApplication::exec();
}

void ProgramHost::End(int status) {
    if (ended_) {
        return;
    }
    ended_ = true;
    status_ = status;
    engineTimer_.stop();
    spectrumTimer_.stop();
    levelTimer_.stop();
    keyboardTimer_.stop();
    captureWatchTimer_.stop();
    // The window and the icon are left alone: this often runs inside one of their own event
    // handlers (the exit button, a list, the close), and both go when the host does, after
    // the event loop has returned.
    QCoreApplication::exit(status);
}

void ProgramHost::OnSignal() {
    const auto signal = signals_.Take();
    if (!signal || ended_) {
        return;
    }
    program_.Unload();
    console_.Line(SignalEvents::EndLine(*signal));
    End(0);
}

void ProgramHost::LptPressed() {
    program_.LptPressed();
}
void ProgramHost::ComClicked() {
    program_.ComClicked();
}
void ProgramHost::FtdiClicked() {
    program_.FtdiClicked();
}
void ProgramHost::KeyboardClicked() {
    program_.KeyboardClicked();
}
void ProgramHost::Usb3Clicked() {
    program_.Usb3Clicked();
}
void ProgramHost::Usb8Clicked() {
    program_.Usb8Clicked();
}
void ProgramHost::DmxClicked() {
    program_.DmxClicked();
}
void ProgramHost::AutoPressed() {
    program_.AutoPressed();
}

void ProgramHost::ExitClicked() {
    // A failed save has shown its message; the program runs on for another try.
    if (program_.ExitCommand()) {
        End(0);
    }
}

void ProgramHost::HideClicked() {
    // The button's own press is still being handled: the window goes once that is over.
    QMetaObject::invokeMethod(this, &ProgramHost::HideToTray, Qt::QueuedConnection);
}

void ProgramHost::ShowWindow() {
    if (ended_) {
        return;
    }
    tray_->SetInTray(false);
    if (window_->isMinimized()) {
        window_->showNormal();
    } else {
        window_->show();
    }
    window_->raise();
    window_->activateWindow();
}

void ProgramHost::HideToTray() {
    if (ended_ || !window_->isVisible()) {
        return;
    }
    // Without a notification area the window could never come back: minimise it instead.
    if (!cSysTray::Available()) {
        window_->showMinimized();
        return;
    }
    window_->hide();
    tray_->SetInTray(true);
}

void ProgramHost::DeviceSelected(int index) {
    if (program_.DeviceSelected(index) == Program::Outcome::EndProgram) {
        End(1);
    }
}

void ProgramHost::InputSelected(int index) {
    program_.InputSelected(index);
}
void ProgramHost::InputLevelMoved() {
    program_.InputLevelMoved();
}
void ProgramHost::AddressBoxFocusLost() {
    program_.AddressBoxFocusLost();
}

void ProgramHost::WindowActivated() {
    if (!ended_) {
        program_.Activate();
    }
}

void ProgramHost::WindowClosed() {
    if (ended_) {
        return;  // the program is leaving by another way already
    }
    program_.Unload();
    End(0);
}

void ProgramHost::StartSpectrumTimer() {
    spectrumTimer_.start();
}
void ProgramHost::StopSpectrumTimer() {
    spectrumTimer_.stop();
}
void ProgramHost::StartLevelTimer() {
    levelTimer_.start();
}
void ProgramHost::StartKeyboardTimer() {
    keyboardTimer_.start();
}
void ProgramHost::StopKeyboardTimer() {
    keyboardTimer_.stop();
}

}  // namespace zeb
