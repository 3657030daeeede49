#include "app/AlertNotifier.h"

#ifdef MARLUNE_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QStringList>
#include <QVariantMap>
#endif

namespace marlune {

#ifdef MARLUNE_HAVE_DBUS
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
// A notification stays until the user closes it or the service lets it go (its default).
constexpr int kServiceDefaultTimeout = -1;
// A reply from a service that hangs must not hold up the ticker's thread for long.
constexpr int kCallTimeoutMs = 2000;

} // namespace

bool DesktopNotifier::IsAvailable() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    // A service that is running, or one the bus starts on the first call.
    if (bus.interface()->isServiceRegistered(kService).value())
        return true;
    const QDBusReply<QStringList> activatable = bus.interface()->call(QStringLiteral("ListActivatableNames"));
    return activatable.isValid() && activatable.value().contains(kService);
}

bool DesktopNotifier::Notify(const QString& summary, const QString& body, bool sound) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    QVariantMap hints;
    if (sound)
        hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
    call << QStringLiteral("Marlune") << 0u << QStringLiteral("marlune") << summary << body << QStringList()
         << hints << kServiceDefaultTimeout;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}
#else
bool DesktopNotifier::IsAvailable() {
    return false;
}

bool DesktopNotifier::Notify(const QString&, const QString&, bool) {
    return false;
}
#endif

} // namespace marlune
