// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/failure_notice.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>
#include <unistd.h>

#include "desktop/desktop_identity.h"

namespace zelko {

QString FailureNotice::Reason(const QByteArray& path, const QString& missingDecoder)
{
    // The bytes themselves are asked about: a name that is not UTF-8 still names its file.
    if (::access(path.constData(), F_OK) != 0) {
        return QStringLiteral("file not found");
    }
    if (!missingDecoder.isEmpty()) {
        return QStringLiteral("this kind of file needs a decoder that is not installed (GStreamer's %1)")
            .arg(missingDecoder);
    }
    return QStringLiteral("not a media file");
}

void FailureNotice::Show(const QString& title, const QByteArray& path, const QString& missingDecoder)
{
    Notify(QStringLiteral("Cannot play %1").arg(title), Reason(path, missingDecoder));
}

void FailureNotice::ShowNotSaved(const QString& text)
{
    Notify(QStringLiteral("The playlist was not saved"), text);
}

void FailureNotice::Notify(const QString& summary, const QString& body)
{
    const QString entryId = QString::fromLatin1(desktop::kDesktopEntryId);
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), entryId},
                            {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    // Summaries are plain text; bodies may be read as markup, so the body is escaped.
    notify << QStringLiteral("Zelko Player") << 0u << entryId << summary << body.toHtmlEscaped() << QStringList()
           << hints << -1;
    // Nobody waits for the id: a missing notification server costs nothing but the message.
    m_bus.asyncCall(notify);
}

}  // namespace zelko
