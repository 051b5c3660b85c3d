#include "shell/platform/system_power_control.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {

// Asks systemd-logind to power off. Without interaction polkit decides at once: an
// active local session is allowed by default, anything else gets an error reply.
class LogindPowerControl final : public PowerControl
{
public:
    bool PowerOff() override
    {
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected())
            return false;
        QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
            QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
            QStringLiteral("PowerOff"));
        call << false; // not interactive
        const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
        return reply.type() == QDBusMessage::ReplyMessage;
    }
};

} // namespace

std::unique_ptr<PowerControl> CreateSystemPowerControl()
{
    return std::make_unique<LogindPowerControl>();
}
