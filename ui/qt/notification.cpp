#include "notification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace varlo {

void ShowDesktopNotification(const QString& summary) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    notify << QStringLiteral("varloGui") << 0u << QStringLiteral("varloGui") << summary << QString()
           << QStringList() << QVariantMap() << -1;
    // Not waited for: the window goes on, whatever the service answers, or if none does.
    bus.send(notify);
}

}  // namespace varlo
