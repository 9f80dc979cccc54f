// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/session_bus.h"

#include <QByteArray>
#include <QFile>
#include <sys/stat.h>

namespace zelko {

namespace {

// A D-Bus address value: bytes outside [-0-9A-Za-z_/.*] are written %XX.
QByteArray EscapeAddressValue(const QByteArray& value)
{
    return value.toPercentEncoding("/*", "~");
}

}  // namespace

QString FindSessionBus()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        return {};
    }
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray socket = runtime + "/bus";
    struct stat info {};
    if (runtime.isEmpty() || ::stat(socket.constData(), &info) != 0 || !S_ISSOCK(info.st_mode)) {
        return QStringLiteral("no session bus");
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + EscapeAddressValue(socket));
    return {};
}

}  // namespace zelko
