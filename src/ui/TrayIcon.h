#pragma once
// The notification-area icon the main window hides to. A left press on the icon shows the
// window again. Presses are reported after the icon's own event handling has finished, so a
// handler may remove the icon.

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

class QWidget;

namespace zeb {

class cSysTray : public QObject {
    Q_OBJECT

  public:
    // `window` is shown again by a left press on the icon.
    cSysTray(QWidget* window, QObject* parent = nullptr);
    ~cSysTray() override;

    // true adds the icon (once), false removes it.
    void SetInTray(bool inTray);

    // A null icon is not an icon and changes nothing.
    void SetTrayIcon(const QIcon& icon);

    // Whether the desktop has a notification area at all.
    static bool Available();

  signals:
    // button 1 = left, 2 = right, 4 = middle
    void MouseDown(int button);

  private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    QWidget* window_;
    QSystemTrayIcon tray_;
    QIcon icon_;
    const QString tip_ = QStringLiteral("ZEB");
    bool inTray_ = false;
    bool added_ = false;
};

}  // namespace zeb
