// ZEB: listens to one sound input and switches twelve light channels to it.

#include <QApplication>
#include <chrono>

#include "app/ProgramHost.h"

int main(int argc, char* argv[]) {
    // Simulated lamp logs count milliseconds from here.
    const auto programStart = std::chrono::steady_clock::now();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZEB"));
    // The window may be hidden in the tray; the program ends only through its own exits.
    QApplication::setQuitOnLastWindowClosed(false);
    zeb::ProgramHost host(programStart);
    return host.Run();
}
