// ZEB: listens to one sound input and switches twelve light channels to it.

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>

#include "core/CommandLine.h"
#include "core/SignalEvents.h"
#include "desktop/DisplayCheck.h"
#include "desktop/HeadlessLaunch.h"
#include "desktop/QtEndings.h"
#include "desktop/WindowHost.h"
#include "ui/Skin.h"

int main(int argc, char* argv[]) {
    // A stop request from here on waits for the handlers (also across the exec below).
    zeb::SignalEvents::BlockEndSignals();
    // Simulated lamp logs count milliseconds from here.
    const auto programStart = std::chrono::steady_clock::now();
    const zeb::CommandLine line = zeb::ParseCommandLine(argc, argv);
    if (const auto status = zeb::AnswerWithoutRunning(line, stdout, stderr)) {
        return *status;
    }
    if (line.headless) {
        return zeb::ExecHeadless(argv);
    }
    auto display = std::make_unique<zeb::DisplayCheck>();
    if (const auto& problem = display->Problem()) {
        std::fprintf(stderr, "zeb: %s\n", problem->c_str());
        return 1;
    }
    // A log reader that went away (stderr a closed pipe) costs the lines, not the lamps and
    // the unsaved settings.
    std::signal(SIGPIPE, SIG_IGN);
    // Before Qt and the sound server start their threads, so every thread takes the handlers.
    zeb::SignalEvents signalEvents;
    zeb::DarkenBeforeQtEnds();
    // The command line is the program's own: Qt sees none of it.
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    display.reset();  // Qt holds its own connection now
    QApplication::setApplicationName(QStringLiteral("ZEB"));
    // For task bars and window switchers (_NET_WM_ICON); the tray shows the same picture.
    QApplication::setWindowIcon(
        QIcon(QPixmap::fromImage(zeb::LoadPng(QStringLiteral(":/icons/zeb.png")))));
    // The window may be hidden in the tray; the program ends only through its own exits.
    QApplication::setQuitOnLastWindowClosed(false);
    zeb::WindowHost host(programStart, line, signalEvents);
    return host.Run();
}
