#include "ui/MessageBoxSink.h"

#include <QMessageBox>
#include <QString>

namespace zeb {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void MessageBoxSink::ShowMessage(const std::string& text, const std::string& title,
                                 MessageIcon icon, const std::string& detail) {
    // Messages carry CR LF line ends; Qt lays out plain LF.
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(ToQtIcon(icon), QString::fromStdString(title), body, QMessageBox::Ok, parent_);
    // The message keeps its own words; what to act on (the file or device, the system's
    // reason) goes under it.
    box.setInformativeText(QString::fromStdString(detail));
    box.exec();
}

}  // namespace zeb
