// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QString>

namespace zelko {

// Tells the user, in a desktop notification (org.freedesktop.Notifications), why a file they
// asked for did not play: one notification per failure, naming the file and the reason.
class FailureNotice {
public:
    explicit FailureNotice(const QDBusConnection& bus) : m_bus(bus) {}

    // title names the file as the desktop shows it (its tags' title, else the entry's title);
    // path is the entry's path as the file system's bytes; missingDecoder GStreamer's
    // description of the decoder the file needs and that is not installed, empty when the
    // failure was not for that. The call does not wait for the notification server.
    void Show(const QString& title, const QByteArray& path, const QString& missingDecoder);
    // The playlist files could not be written: text says which and why.
    void ShowNotSaved(const QString& text);

    // The reason in a user's words: "file not found", "not a media file", or the decoder the
    // file needs, by GStreamer's description of it.
    static QString Reason(const QByteArray& path, const QString& missingDecoder);

private:
    void Notify(const QString& summary, const QString& body);

    QDBusConnection m_bus;
};

}  // namespace zelko
