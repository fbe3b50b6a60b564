#include "desktop/QtEndings.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>

#include "core/ExitGuard.h"

namespace zeb {

namespace {

QtMessageHandler previousHandler = nullptr;

// The platform plugins' last words before they end the process.
bool EndsTheProcess(QtMsgType type, const QString& message) {
    return type == QtFatalMsg || message.startsWith(QStringLiteral("The X11 connection broke")) ||
           message.startsWith(QStringLiteral("The Wayland connection"));
}

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (previousHandler != nullptr) {
        previousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
    if (EndsTheProcess(type, message)) {
        ExitGuard::RunNow();
    }
}

}  // namespace

void DarkenBeforeQtEnds() {
    previousHandler = qInstallMessageHandler(OnQtMessage);
}

}  // namespace zeb
