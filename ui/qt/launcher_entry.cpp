#include "launcher_entry.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace varlo {

void CLauncherEntry::SetProgress(bool running, double fraction) {
    m_running = running;
    m_fraction = fraction;
    Send(true);
}

void CLauncherEntry::SetUrgent(bool urgent) {
    if (urgent != m_urgent) {
        m_urgent = urgent;
        Send(false);
    }
}

void CLauncherEntry::Send(bool withProgress) {
    // No bus: no dock to tell, and nothing to report.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    QVariantMap properties;
    if (withProgress) {
        properties.insert(QStringLiteral("progress"), m_fraction);
        properties.insert(QStringLiteral("progress-visible"), m_running);
    }
    properties.insert(QStringLiteral("urgent"), m_urgent);
    QDBusMessage update = QDBusMessage::createSignal(
        QStringLiteral("/com/canonical/unity/launcherentry/varloGui"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    update << QStringLiteral("application://varloGui.desktop") << properties;
    // A signal: sent whether anyone listens or not, and never waited for.
    bus.send(update);
}

}  // namespace varlo
