// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace zelko {

class Player;
class MprisPlayerAdaptor;

// The player as a media player on the session bus (MPRIS 2: org.mpris.MediaPlayer2 and its
// Player interface at /org/mpris/MediaPlayer2), for the desktop's media keys, sound menu and lock
// screen. Every command runs the player's own, so the window and the bus never disagree; what
// the window's buttons change reaches the bus through the player's signals.
// Runs on the UI thread.
class Mpris : public QObject {
    Q_OBJECT
public:
    Mpris(Player& player, const QDBusConnection& bus);
    ~Mpris() override;

    // Registers the object and takes the bus name; false, with the reason, when it cannot.
    bool Register(QString* failure);
    // Tells the bus which properties changed since the last call (PropertiesChanged).
    void SendChanges();
    // Tells the bus about a seek (Seeked), with the position it led to.
    void SendSeeked();

    // What the file's own tags say of the file opened as `track` (xesam: and mpris:artUrl
    // entries), shown beside its path and length while that file is the one open.
    void SetTags(uint64_t track, const QVariantMap& tags);

    // org.mpris.MediaPlayer2
    void Raise();
    void Quit();
    bool Fullscreen() const;
    void SetFullscreen(bool fullscreen);

    // org.mpris.MediaPlayer2.Player
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qint64 offsetUs);
    void SetPosition(const QString& trackId, qint64 positionUs);
    QString OpenUri(const QString& uri);  // empty when taken, else why not

    QString PlaybackStatus() const;
    QString LoopStatus() const;
    void SetLoopStatus(const QString& status);
    QVariantMap Metadata() const;
    double Rate() const;
    void SetRate(double rate);
    double Volume() const;
    void SetVolume(double volume);
    qint64 Position() const;
    bool CanGoNext() const;
    bool CanGoPrevious() const;
    bool CanPlay() const;
    bool CanPause() const;
    bool CanSeek() const;

private:
    // The properties of each interface that PropertiesChanged reports.
    QVariantMap ChangingProperties() const;
    QVariantMap ChangingRootProperties() const;
    void SendChanges(const QString& interface, const QVariantMap& now, QVariantMap& sent);
    QString TrackId() const;
    qint64 LengthUs() const;
    double TotalFrames() const;
    void SeekTo(qint64 positionUs);

    Player& m_player;
    QDBusConnection m_bus;
    MprisPlayerAdaptor* m_adaptor;
    QString m_busName;
    QVariantMap m_sent;  // as the bus last heard them
    QVariantMap m_sentRoot;
    uint64_t m_tagsTrack = 0;
    QVariantMap m_tags;
};

}  // namespace zelko
