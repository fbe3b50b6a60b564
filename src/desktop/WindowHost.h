#pragma once
// The program as a desktop application: the window, its timers, the tray icon and the message
// boxes around the program core. Everything runs on the one event-loop thread.

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <memory>

#include "core/Assembly.h"
#include "core/CommandLine.h"
#include "core/ExitGuard.h"
#include "core/SignalEvents.h"
#include "ui/GlobalKey.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxSink.h"
#include "ui/TrayIcon.h"
#include "ui/logic/MainWindowActions.h"
#include "web/WebControl.h"
#include "web/WebMessages.h"

namespace zeb {

class WindowHost : public QObject, public MainWindowActions {
    Q_OBJECT

  public:
    // `signalEvents` delivers the system's requests to end; the program leaves through Unload.
    WindowHost(std::chrono::steady_clock::time_point programStart, const CommandLine& line,
               SignalEvents& signalEvents);
    ~WindowHost() override;

    // Start-up, then the event loop until the program ends; returns the exit status.
    int Run();

    // MainWindowActions
    void HideClicked() override;
    void WindowActivated() override;
    void WindowClosed() override;

  protected:
    // Follows the window on and off the screen: frames only while it is there.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Hides the window to the notification area (or minimises it where there is none).
    void HideToTray();
    // Brings the window back from the notification area (or from being minimised) and to the
    // front.
    void ShowWindow();
    // Ends the program at once: no further tick or handler runs.
    void End(int status);
    void OnSignal();
    // The process ends by a library's hand (ExitGuard): lamps dark first.
    void EndedFromOutside();
    // Frames while the window is on screen, none otherwise.
    void FollowWindowOnScreen();
    // The window's frame, with an engine tick: the tick and the spectrum it read.
    void ShowFrame();
    // The web page, when it is on: its changes come in through the event loop.
    void StartWebPage(const CommandLine& line);
    // The page's address in the settings column, with its QR code in the tooltip.
    void ShowWebAddress();
    void ShowWebChanges();

    SignalEvents& signals_;
    MessageBoxSink boxes_;
    // Every message goes to the boxes and to the open web pages.
    WebMessages webMessages_{&boxes_};
    const CommandLine& line_;
    QSocketNotifier signalNotifier_;
    QTimer schedulerTimer_;
    QTimer captureWatchTimer_;
    Assembly parts_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<cSysTray> tray_;
    std::unique_ptr<GlobalKey> showKey_;
    ExitGuard exitGuard_;
    std::unique_ptr<WebControl> web_;
    std::unique_ptr<QSocketNotifier> webNotifier_;
    std::string shownWebAddress_;
    bool ended_ = false;
    int status_ = 0;
};

}  // namespace zeb
