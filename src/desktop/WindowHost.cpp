#include "desktop/WindowHost.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "audio/CaptureWatch.h"
#include "ui/DisplayLockStates.h"
#include "web/QrText.h"

namespace zeb {

namespace {

// The web page's QR code in the tooltip: pixels a module, and the quiet zone around it.
constexpr int kModulePixels = 4;
constexpr int kQuietZone = 4;

// Where a screen does not tell its refresh rate.
constexpr qreal kUsualRefreshRate = 60.0;

CaptureTime Present() {
    return std::chrono::steady_clock::now();
}

}  // namespace

WindowHost::WindowHost(std::chrono::steady_clock::time_point programStart, const CommandLine& line,
                       SignalEvents& signalEvents)
    : signals_(signalEvents),
      line_(line),
      signalNotifier_(signalEvents.Fd(), QSocketNotifier::Read),
      parts_({.programStart = programStart,
              .line = line,
              .unreadableSettings = Program::UnreadableSettings::StartFresh,
              .shownMessages = &webMessages_,
              .lockStates = DisplayLockStateQuery(),
              .armTimer =
                  [this](std::optional<CaptureTime> next) {
                      if (!next) {
                          schedulerTimer_.stop();
                          return;
                      }
                      // Rounded up: a timer that fires early would find nothing due.
                      const auto wait =
                          std::chrono::ceil<std::chrono::milliseconds>(*next - Present());
                      schedulerTimer_.start(std::max(wait, std::chrono::milliseconds::zero()));
                  },
              .afterEngineTick =
                  [this] {
                      if (web_ && web_->AfterEngineTick()) {
                          ShowWebChanges();
                      }
                  },
              .frame = [this] { ShowFrame(); },
              .endLoop = [this](int status) { End(status); }}),
      window_(std::make_unique<MainWindow>(parts_.Model(), parts_.Actions(), *this)),
      tray_(std::make_unique<cSysTray>(window_.get())),
      showKey_(std::make_unique<GlobalKey>(MainWindow::kShowKey)),
      exitGuard_([this] { EndedFromOutside(); }) {
    boxes_.SetParent(window_.get());
    // Also behind a message box: its own event loop delivers the request as well.
    connect(&signalNotifier_, &QSocketNotifier::activated, this, [this] { OnSignal(); });
    tray_->SetTrayIcon(QApplication::windowIcon());
    // The icon is gone after any press, so the window must come back with it: a right press
    // that left it hidden would leave the running program unreachable.
    connect(tray_.get(), &cSysTray::MouseDown, this, &WindowHost::ShowWindow);
    // Wherever the keyboard is: hides the active window, brings it back from anywhere else.
    connect(showKey_.get(), &GlobalKey::Pressed, this, [this] {
        if (window_->isVisible() && window_->isActiveWindow() && !window_->isMinimized()) {
            HideClicked();
        } else {
            ShowWindow();
        }
    });

    schedulerTimer_.setTimerType(Qt::PreciseTimer);
    schedulerTimer_.setSingleShot(true);
    connect(&schedulerTimer_, &QTimer::timeout, this,
            [this] { parts_.PeriodicJobs().WakeUp(Present()); });
    window_->installEventFilter(this);
    captureWatchTimer_.setInterval(kCaptureWatchInterval);
    connect(&captureWatchTimer_, &QTimer::timeout, this, [this] {
        if (parts_.Core().CaptureWatchTick()) {
            window_->RefreshAll();
        }
    });
}

WindowHost::~WindowHost() = default;

int WindowHost::Run() {
    // A first start (no settings yet) lights nothing until sliders are raised: the panel says so.
    std::error_code unknown;
    const bool firstStart =
        !std::filesystem::exists(parts_.Core().SettingsPath(), unknown) && !unknown;
    if (parts_.StartUp() == Program::Outcome::EndProgram) {
        End(1);
        return status_;
    }
    if (ended_) {
        return status_;  // a signal ended the program behind a start-up message
    }
    captureWatchTimer_.start();
    StartWebPage(line_);
    window_->RefreshAll();
    window_->ShowFirstStartHint(firstStart);
    window_->show();
    window_->activateWindow();
    if (QWindow* shown = window_->windowHandle()) {
        connect(shown, &QWindow::screenChanged, this, [this] { FollowWindowOnScreen(); });
    }
    if (ended_) {
        return status_;
    }
    return QApplication::exec();
}

void WindowHost::StartWebPage(const CommandLine& line) {
    web_ =
        WebControl::Start({.model = parts_.Model(),
                           .actions = parts_.Actions(),
                           .program = parts_.Core(),
                           .console = parts_.ConsoleLines(),
                           .messages = webMessages_},
                          ChosenWebSettings(line, parts_.Core().SettingsPath()), line.webNewToken);
    if (!web_) {
        return;
    }
    ShowWebAddress();
    webNotifier_ = std::make_unique<QSocketNotifier>(web_->Fd(), QSocketNotifier::Read);
    connect(webNotifier_.get(), &QSocketNotifier::activated, this, [this] {
        if (!ended_ && web_->Serve()) {
            ShowWebChanges();
        }
    });
}

void WindowHost::ShowWebChanges() {
    // A page's change shows in the window at once, as the window's own do.
    if (ended_) {
        return;
    }
    window_->RefreshAll();
    if (web_->Address() != shownWebAddress_) {
        ShowWebAddress();  // a renewed token
    }
}

void WindowHost::ShowWebAddress() {
    const std::string& address = web_->Address();
    // "http://HOST:PORT/?token=…": the label has room for HOST:PORT only.
    const auto start = address.find("//") + 2;
    const std::string hostAndPort = address.substr(start, address.find('/', start) - start);
    const auto modules = QrModules(address);
    const int width = static_cast<int>(modules.size());
    QImage code(width + 2 * kQuietZone, width + 2 * kQuietZone, QImage::Format_Mono);
    code.setColor(0, qRgb(0, 0, 0));
    code.setColor(1, qRgb(255, 255, 255));
    code.fill(1);
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            if (modules[static_cast<size_t>(y)][static_cast<size_t>(x)]) {
                code.setPixel(x + kQuietZone, y + kQuietZone, 0);
            }
        }
    }
    shownWebAddress_ = address;
    window_->ShowWebAddress(QString::fromStdString(address), QString::fromStdString(hostAndPort),
                            modules.empty() ? QImage() : code.scaled(code.size() * kModulePixels));
}

void WindowHost::End(int status) {
    if (ended_) {
        return;
    }
    ended_ = true;
    status_ = status;
    parts_.PeriodicJobs().Stop();
    captureWatchTimer_.stop();
    // The window and the icon are left alone: this often runs inside one of their own event
    // handlers (the exit button, a list, the close), and both go when the host does, after
    // the event loop has returned.
    QCoreApplication::exit(status);
}

void WindowHost::OnSignal() {
    const auto signal = signals_.Take();
    if (!signal || ended_) {
        return;
    }
    parts_.Core().Unload();
    parts_.ConsoleLines().Line(SignalEvents::EndLine(*signal));
    End(0);
}

void WindowHost::EndedFromOutside() {
    Program& program = parts_.Core();
    if (program.Ended()) {
        return;
    }
    program.Unload();
    parts_.ConsoleLines().Line(kEndedFromOutsideLine);
}

void WindowHost::HideClicked() {
    // The button's own press is still being handled: the window goes once that is over.
    QMetaObject::invokeMethod(this, &WindowHost::HideToTray, Qt::QueuedConnection);
}

void WindowHost::ShowWindow() {
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

void WindowHost::HideToTray() {
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

void WindowHost::WindowActivated() {
    if (!ended_) {
        parts_.Core().Activate();
    }
}

void WindowHost::WindowClosed() {
    if (ended_) {
        return;  // the program is leaving by another way already
    }
    parts_.Core().Unload();
    End(0);
}

bool WindowHost::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.get()) {
        switch (event->type()) {
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::WindowStateChange:
                FollowWindowOnScreen();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowHost::FollowWindowOnScreen() {
    if (ended_ || !window_->isVisible() || window_->isMinimized()) {
        parts_.PeriodicJobs().SetFramePeriod(std::nullopt);
        return;
    }
    // Painting more often than the screen shows pictures would only cost.
    const QScreen* screen = window_->screen();
    const qreal rate = screen != nullptr && screen->refreshRate() >= 1.0 ? screen->refreshRate()
                                                                         : kUsualRefreshRate;
    parts_.PeriodicJobs().SetFramePeriod(
        std::chrono::duration_cast<Scheduler::Duration>(std::chrono::duration<qreal>(1.0 / rate)));
}

void WindowHost::ShowFrame() {
    window_->RefreshSpectrum();
    window_->RefreshEngine();
    // Painted in this wake-up rather than in another turn of the event loop.
    QCoreApplication::sendPostedEvents(window_.get(), QEvent::UpdateRequest);
}

}  // namespace zeb
