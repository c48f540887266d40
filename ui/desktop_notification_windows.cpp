// Desktop notifications on Windows: a balloon (a toast on Windows 10 and later) from an icon in
// the notification area, which is there only while the message is.
#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>

#include "ui/product.h"
#include "ui/ui_services.h"

namespace ui {
namespace {

// How long the icon stays for its message; Windows itself decides how long a balloon shows.
constexpr int kShownMs = 15000;

}  // namespace

void UiServices::Notify(const QString& summary, const QString& body) {
    if (!QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages())
        return;
    static QPointer<QSystemTrayIcon> tray;
    static QPointer<QTimer> hide;
    if (tray.isNull()) {
        // Windows shows no icon, and so no message, without a picture: the program's icon, or
        // the style's information sign when that could not be drawn.
        QIcon icon = QApplication::windowIcon();
        if (icon.pixmap(16).isNull())
            icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation);
        tray = new QSystemTrayIcon(icon, qApp);
        tray->setToolTip(QString::fromLatin1(product::kTitle));
        hide = new QTimer(tray);
        hide->setSingleShot(true);
        hide->setInterval(kShownMs);
        QObject::connect(hide, &QTimer::timeout, tray, &QSystemTrayIcon::hide);
        QObject::connect(tray, &QSystemTrayIcon::messageClicked, tray, &QSystemTrayIcon::hide);
    }
    tray->show();
    tray->showMessage(summary, body, QSystemTrayIcon::Information, kShownMs);
    hide->start();
}

}  // namespace ui
