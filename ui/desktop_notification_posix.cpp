// Desktop notifications through the freedesktop Notifications service on the session bus
// (Linux and the other systems with D-Bus).
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>

#include "ui/product.h"
#include "ui/ui_services.h"

namespace ui {

void UiServices::Notify(const QString& summary, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // Application name, id to replace, icon, summary, body, actions, hints, timeout (-1: the
    // server's default).
    call << QString::fromLatin1(product::kTitle) << 0u << QString::fromLatin1(product::kAppId)
         << summary << body << QStringList() << QVariantMap() << -1;
    // Nobody waits for the answer: a missing service must not hold the window up.
    bus.asyncCall(call);
}

}  // namespace ui
