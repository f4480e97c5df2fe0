// A desktop notification: the freedesktop Notifications service on the session bus.
#pragma once

#include <QString>

namespace varlo {

// Shows `summary` as a notification from varloGui with the program's icon. Without a
// notification service (or a session bus) nothing happens, and nothing is reported.
void ShowDesktopNotification(const QString& summary);

}  // namespace varlo
