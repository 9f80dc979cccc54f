// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

#include "desktop/mpris.h"

namespace zelko {

// The two interfaces of the media player object, as the bus sees them. They only hand each call
// to Mpris, which owns them.

class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
    Q_PROPERTY(bool Fullscreen READ Fullscreen WRITE SetFullscreen)
    Q_PROPERTY(bool CanSetFullscreen READ CanSetFullscreen)
public:
    explicit MprisRootAdaptor(Mpris* mpris) : QDBusAbstractAdaptor(mpris), m_mpris(mpris) {}

    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Zelko Player"); }
    QString DesktopEntry() const;
    QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList SupportedMimeTypes() const;
    bool Fullscreen() const { return m_mpris->Fullscreen(); }
    void SetFullscreen(bool fullscreen) { m_mpris->SetFullscreen(fullscreen); }
    bool CanSetFullscreen() const { return true; }

public slots:
    void Raise() { m_mpris->Raise(); }
    void Quit() { m_mpris->Quit(); }

private:
    Mpris* m_mpris;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(QString LoopStatus READ LoopStatus WRITE SetLoopStatus)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit MprisPlayerAdaptor(Mpris* mpris) : QDBusAbstractAdaptor(mpris), m_mpris(mpris) {}

    QString PlaybackStatus() const { return m_mpris->PlaybackStatus(); }
    QString LoopStatus() const { return m_mpris->LoopStatus(); }
    void SetLoopStatus(const QString& status) { m_mpris->SetLoopStatus(status); }
    QVariantMap Metadata() const { return m_mpris->Metadata(); }
    double Rate() const { return m_mpris->Rate(); }
    void SetRate(double rate) { m_mpris->SetRate(rate); }
    double MinimumRate() const { return 0.4; }
    double MaximumRate() const { return 1.0; }
    double Volume() const { return m_mpris->Volume(); }
    void SetVolume(double volume) { m_mpris->SetVolume(volume); }
    qlonglong Position() const { return m_mpris->Position(); }
    bool CanGoNext() const { return m_mpris->CanGoNext(); }
    bool CanGoPrevious() const { return m_mpris->CanGoPrevious(); }
    bool CanPlay() const { return m_mpris->CanPlay(); }
    bool CanPause() const { return m_mpris->CanPause(); }
    bool CanSeek() const { return m_mpris->CanSeek(); }
    bool CanControl() const { return true; }

public slots:
    void Play() { m_mpris->Play(); }
    void Pause() { m_mpris->Pause(); }
    void PlayPause() { m_mpris->PlayPause(); }
    void Stop() { m_mpris->Stop(); }
    void Next() { m_mpris->Next(); }
    void Previous() { m_mpris->Previous(); }
    void Seek(qlonglong Offset) { m_mpris->Seek(Offset); }
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position)
    {
        m_mpris->SetPosition(TrackId.path(), Position);
    }
    // A file that is not taken is answered with an error that says why.
    void OpenUri(const QString& Uri, const QDBusMessage& message);

signals:
    void Seeked(qlonglong Position);

private:
    Mpris* m_mpris;
};

}  // namespace zelko
