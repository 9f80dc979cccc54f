// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/mpris.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <unistd.h>

#include "desktop/external_files.h"
#include "desktop/mpris_adaptors.h"
#include "platform/volume.h"
#include "player/player.h"

namespace zelko {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kBusName = QStringLiteral("org.mpris.MediaPlayer2.zelko_player");
const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kTrackPrefix = QStringLiteral("/io/github/zelko/ZelkoPlayer/Track/");
// Slow Motion is the only other speed: 40 % of normal.
constexpr double kSlowRate = 0.4;
constexpr double kNormalRate = 1.0;
// Auto Replay repeats the file playing; nothing repeats the playlist.
const QString kLoopTrack = QStringLiteral("Track");
const QString kLoopNone = QStringLiteral("None");

}  // namespace

Mpris::Mpris(Player& player, const QDBusConnection& bus)
    : m_player(player), m_bus(bus), m_adaptor(new MprisPlayerAdaptor(this))
{
    new MprisRootAdaptor(this);
}

Mpris::~Mpris()
{
    if (!m_busName.isEmpty()) {
        m_bus.unregisterService(m_busName);
    }
    m_bus.unregisterObject(kObjectPath);
}

bool Mpris::Register(QString* failure)
{
    if (!m_bus.registerObject(kObjectPath, this)) {
        *failure = m_bus.lastError().message();
        return false;
    }
    // A second player (another playlist folder) takes a name of its own, as media players do.
    for (const QString& name : {kBusName, kBusName + QStringLiteral(".instance%1").arg(::getpid())}) {
        if (m_bus.registerService(name)) {
            m_busName = name;
            m_sent = ChangingProperties();
            m_sentRoot = ChangingRootProperties();
            return true;
        }
    }
    *failure = m_bus.lastError().message();
    return false;
}

void Mpris::SendChanges()
{
    SendChanges(kRootInterface, ChangingRootProperties(), m_sentRoot);
    SendChanges(kPlayerInterface, ChangingProperties(), m_sent);
}

void Mpris::SendChanges(const QString& interface, const QVariantMap& now, QVariantMap& sent)
{
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (sent.value(it.key()) != it.value()) {
            changed.insert(it.key(), it.value());
        }
    }
    sent = now;
    if (changed.isEmpty()) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    m_bus.send(signal);
}

void Mpris::SendSeeked()
{
    emit m_adaptor->Seeked(Position());
}

QVariantMap Mpris::ChangingProperties() const
{
    return {{QStringLiteral("PlaybackStatus"), PlaybackStatus()},
            {QStringLiteral("LoopStatus"), LoopStatus()},
            {QStringLiteral("Metadata"), Metadata()},
            {QStringLiteral("Rate"), Rate()},
            {QStringLiteral("Volume"), Volume()},
            {QStringLiteral("CanGoNext"), CanGoNext()},
            {QStringLiteral("CanGoPrevious"), CanGoPrevious()},
            {QStringLiteral("CanPlay"), CanPlay()},
            {QStringLiteral("CanPause"), CanPause()},
            {QStringLiteral("CanSeek"), CanSeek()}};
}

QVariantMap Mpris::ChangingRootProperties() const
{
    return {{QStringLiteral("Fullscreen"), Fullscreen()}};
}

void Mpris::SetTags(uint64_t track, const QVariantMap& tags)
{
    m_tagsTrack = track;
    m_tags = tags;
}

// ---- org.mpris.MediaPlayer2

void Mpris::Raise()
{
    m_player.Raise();
}

void Mpris::Quit()
{
    // The normal close, so the playlist is saved; after the call's answer has gone out.
    QTimer::singleShot(0, &m_player, [this] { m_player.Close(); });
}

bool Mpris::Fullscreen() const
{
    return m_player.Now().fullscreen;
}

void Mpris::SetFullscreen(bool fullscreen)
{
    m_player.SetFullscreen(fullscreen);
}

// ---- Commands: each is what a click, a key or the end of a file does.

void Mpris::Play()
{
    const Player::State state = m_player.Now();
    if (state.status == Player::Status::Playing) {
        return;
    }
    // A Pause latched with no file open paused nothing: Play starts an entry instead.
    if (state.status == Player::Status::Paused && state.open) {
        m_player.TogglePause();  // as a click on the latched Pause button: resume
        return;
    }
    if (state.entries > 0) {
        m_player.PlayEntry(std::max(state.entry, 0));
    }
}

void Mpris::Pause()
{
    if (m_player.Now().status == Player::Status::Playing) {
        m_player.TogglePause();
    }
}

void Mpris::PlayPause()
{
    if (m_player.Now().status == Player::Status::Playing) {
        Pause();
    } else {
        Play();
    }
}

void Mpris::Stop()
{
    if (m_player.Now().status != Player::Status::Stopped) {
        m_player.Stop();
    }
}

void Mpris::Next()
{
    m_player.PlayNext();
}

void Mpris::Previous()
{
    const int index = m_player.Now().entry;
    if (index > 0) {
        m_player.PlayEntry(index - 1);
    }
}

void Mpris::Seek(qint64 offsetUs)
{
    if (!CanSeek()) {
        return;
    }
    const qint64 target = std::max<qint64>(0, Position() + offsetUs);
    if (target > LengthUs()) {
        Next();  // past the end, as the end of the file would
    } else {
        SeekTo(target);
    }
}

void Mpris::SetPosition(const QString& trackId, qint64 positionUs)
{
    // A position meant for a file that is no longer the one playing is ignored.
    if (CanSeek() && trackId == TrackId() && positionUs >= 0 && positionUs <= LengthUs()) {
        SeekTo(positionUs);
    }
}

// The slider seek's last step, at the frame the time falls on rather than at the slider's whole
// percent, which would move a long file by seconds in either direction.
void Mpris::SeekTo(qint64 positionUs)
{
    const double frames = TotalFrames();
    const double frame = std::round(static_cast<double>(positionUs) / static_cast<double>(LengthUs()) * frames);
    m_player.SeekToFrame(static_cast<int32_t>(std::clamp(frame, 0.0, frames)));
}

QString Mpris::OpenUri(const QString& uri)
{
    const ExternalFiles files = CollectExternalFiles({uri}, QDir::currentPath());
    if (files.paths.isEmpty()) {
        return files.refusals.join(QLatin1Char('\n'));
    }
    if (AppendAndPlay(m_player, files.paths) == 0) {
        return QStringLiteral("the player is closing");
    }
    return {};
}

// ---- Properties

QString Mpris::PlaybackStatus() const
{
    // A Pause latched with no file open has nothing paused.
    const Player::State state = m_player.Now();
    switch (state.status) {
    case Player::Status::Playing: return QStringLiteral("Playing");
    case Player::Status::Paused: return state.open ? QStringLiteral("Paused") : QStringLiteral("Stopped");
    case Player::Status::Stopped: break;
    }
    return QStringLiteral("Stopped");
}

QString Mpris::LoopStatus() const
{
    return m_player.Now().autoReplay ? kLoopTrack : kLoopNone;
}

// As a click on Auto Replay. The playlist is not repeated, so "Playlist" is refused; Qt answers
// a property's Set with success whatever the setter does, so the refusal is the value told again.
void Mpris::SetLoopStatus(const QString& status)
{
    if (status == kLoopTrack || status == kLoopNone) {
        m_player.SetAutoReplay(status == kLoopTrack);
        return;
    }
    m_sent.remove(QStringLiteral("LoopStatus"));
    SendChanges();
}

QVariantMap Mpris::Metadata() const
{
    const Player::State playback = m_player.Now();
    if (!playback.open) {
        return {};
    }
    // The path's own bytes, percent-encoded: a name that is not UTF-8 still names its file.
    QVariantMap metadata{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackId()))},
        {QStringLiteral("xesam:title"), playback.title},
        {QStringLiteral("xesam:url"), QString::fromLatin1("file://" + playback.path.toPercentEncoding("/"))}};
    if (LengthUs() > 0) {
        metadata.insert(QStringLiteral("mpris:length"), LengthUs());
    }
    if (m_tagsTrack == playback.track) {
        metadata.insert(m_tags);
    }
    return metadata;
}

double Mpris::Rate() const
{
    return m_player.Now().slowMotion ? kSlowRate : kNormalRate;
}

void Mpris::SetRate(double rate)
{
    // 0 means pause; a rate outside the two speeds is refused; between them, the nearer wins.
    if (rate == 0) {
        Pause();
        return;
    }
    if (rate < kSlowRate || rate > kNormalRate) {
        return;
    }
    const bool slow = rate < (kSlowRate + kNormalRate) / 2;
    if (slow != m_player.Now().slowMotion) {
        m_player.ToggleSlowMotion();
    }
}

double Mpris::Volume() const
{
    return m_player.Now().volume / static_cast<double>(platform::kFullVolume);
}

void Mpris::SetVolume(double volume)
{
    // Above full is full: the engine does not amplify.
    const double clamped = std::clamp(volume, 0.0, 1.0);
    m_player.SetVolume(static_cast<int32_t>(std::lround(clamped * platform::kFullVolume)));
}

qint64 Mpris::Position() const
{
    const double frames = TotalFrames();
    if (!m_player.Now().open || frames <= 0) {
        return 0;
    }
    const int32_t frame = m_player.PositionFrame();
    return frame < 0 ? 0 : std::llround(frame / frames * static_cast<double>(LengthUs()));
}

bool Mpris::CanGoNext() const
{
    const Player::State state = m_player.Now();
    return state.entry < state.entries - 1;
}

bool Mpris::CanGoPrevious() const
{
    return m_player.Now().entry > 0;
}

bool Mpris::CanPlay() const
{
    return m_player.Now().entries > 0;
}

bool Mpris::CanPause() const
{
    return m_player.Now().open;
}

bool Mpris::CanSeek() const
{
    return m_player.Now().open && LengthUs() > 0 && TotalFrames() > 0;
}

QString Mpris::TrackId() const
{
    return kTrackPrefix + QString::number(m_player.Now().track);
}

qint64 Mpris::LengthUs() const
{
    // The length the window read when the file started (-0.001 s when it could not be read).
    const double seconds = m_player.Now().lengthSeconds;
    return seconds > 0 ? std::llround(seconds * 1e6) : 0;
}

double Mpris::TotalFrames() const
{
    // What the slider seek reckons with too: frames, or milliseconds on media without video.
    return m_player.Now().totalFrames;
}

}  // namespace zelko
