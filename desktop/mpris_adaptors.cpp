// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/mpris_adaptors.h"

#include <QDBusConnection>

#include "desktop/desktop_identity.h"
#include "platform/media_kinds.h"

namespace zelko {

QString MprisRootAdaptor::DesktopEntry() const
{
    return QString::fromLatin1(desktop::kDesktopEntryId);
}

QStringList MprisRootAdaptor::SupportedMimeTypes() const
{
    QStringList types;
    for (const std::string_view type : platform::mediaMimeTypes()) {
        types << QString::fromLatin1(type);
    }
    return types;
}

void MprisPlayerAdaptor::OpenUri(const QString& Uri, const QDBusMessage& message)
{
    const QString refusal = m_mpris->OpenUri(Uri);
    if (refusal.isEmpty()) {
        return;
    }
    message.setDelayedReply(true);
    QDBusConnection::sessionBus().send(
        message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), refusal));
}

}  // namespace zelko
