#pragma once
// Where an alert goes when the desktop has a notification service: the freedesktop
// notification (D-Bus org.freedesktop.Notifications), which stays in the desktop's
// notification centre. Without one the owner shows the tray balloon as before.
// DesktopNotifier is the session bus's; tests use their own.

#include <QString>

namespace marlune {

class AlertNotifier {
public:
    virtual ~AlertNotifier() = default;
    // Whether a notification service answers on the session bus now.
    virtual bool IsAvailable() = 0;
    // One notification; false when the service did not take it. With `sound` the service
    // is asked to play its message sound.
    virtual bool Notify(const QString& summary, const QString& body, bool sound) = 0;
};

// The freedesktop notification service of the session bus (none on Windows and in builds
// without Qt's D-Bus module: never available there).
class DesktopNotifier final : public AlertNotifier {
public:
    bool IsAvailable() override;
    bool Notify(const QString& summary, const QString& body, bool sound) override;
};

} // namespace marlune
