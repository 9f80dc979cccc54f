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
#include "desktop/raise_window.h"
#include "platform/volume.h"
#include "player/form1.h"
#include "player/form1_constants.h"

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
// The keys' code for Esc, as the fullscreen keys arrive.
constexpr int kKeyEscape = 27;

}  // namespace

Mpris::Mpris(Form1& form, const QDBusConnection& bus) : m_form(form), m_bus(bus), m_player(new MprisPlayerAdaptor(this))
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
    emit m_player->Seeked(Position());
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
    RaiseWindow(m_form);
}

void Mpris::Quit()
{
    // The normal close, so the playlist is saved; after the call's answer has gone out.
    QTimer::singleShot(0, &m_form, [this] { m_form.close(); });
}

bool Mpris::Fullscreen() const
{
    return m_form.CurrentView().fullscreen;
}

// In as the Fullscreen button goes, out as Esc leaves: playback goes on either way.
void Mpris::SetFullscreen(bool fullscreen)
{
    if (fullscreen == Fullscreen()) {
        return;
    }
    if (fullscreen) {
        m_form.asxToolbar1_ButtonClick(form1::kFullscreenButton, {});
    } else {
        m_form.txtfull_KeyDown(kKeyEscape, 0);
    }
}

// ---- Commands: each is what a click, a key or the end of a file does.

void Mpris::Play()
{
    const Form1::View view = m_form.CurrentView();
    if (view.status == Form1::PlaybackStatus::Playing) {
        return;
    }
    if (view.status == Form1::PlaybackStatus::Paused && view.paused) {
        m_form.PausePlayback();  // as a click on the latched Pause button: resume
        return;
    }
    if (view.entries == 0) {
        return;
    }
    if (view.entry < 0) {
        m_form.SelectEntry(0);
    }
    m_form.PlayEntryInCurrentMode();
}

void Mpris::Pause()
{
    const Form1::View view = m_form.CurrentView();
    if (view.status == Form1::PlaybackStatus::Playing && !view.paused) {
        m_form.PausePlayback();
    }
}

void Mpris::PlayPause()
{
    if (m_form.CurrentView().status == Form1::PlaybackStatus::Playing) {
        Pause();
    } else {
        Play();
    }
}

void Mpris::Stop()
{
    if (m_form.CurrentView().status != Form1::PlaybackStatus::Stopped) {
        m_form.StopPlayback();
    }
}

void Mpris::Next()
{
    m_form.PlayNextEntry();
}

void Mpris::Previous()
{
    const int index = m_form.CurrentView().entry;
    if (index <= 0) {
        return;
    }
    m_form.SelectEntry(index - 1);
    m_form.PlayEntryInCurrentMode();
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
    m_form.SeekToFrame(static_cast<int32_t>(std::clamp(frame, 0.0, frames)));
}

QString Mpris::OpenUri(const QString& uri)
{
    const ExternalFiles files = CollectExternalFiles({uri}, QDir::currentPath());
    if (files.paths.isEmpty()) {
        return files.refusals.join(QLatin1Char('\n'));
    }
    if (AppendAndPlay(m_form, files.paths) == 0) {
        return QStringLiteral("the player is closing");
    }
    return {};
}

// ---- Properties

QString Mpris::PlaybackStatus() const
{
    switch (m_form.CurrentView().status) {
    case Form1::PlaybackStatus::Playing: return QStringLiteral("Playing");
    case Form1::PlaybackStatus::Paused: return QStringLiteral("Paused");
    case Form1::PlaybackStatus::Stopped: break;
    }
    return QStringLiteral("Stopped");
}

QString Mpris::LoopStatus() const
{
    return m_form.CurrentView().autoReplay ? kLoopTrack : kLoopNone;
}

// As a click on Auto Replay. The playlist is not repeated, so "Playlist" is refused; Qt answers
// a property's Set with success whatever the setter does, so the refusal is the value told again.
void Mpris::SetLoopStatus(const QString& status)
{
    if (status == kLoopTrack || status == kLoopNone) {
        m_form.SetAutoReplay(status == kLoopTrack);
        return;
    }
    m_sent.remove(QStringLiteral("LoopStatus"));
    SendChanges();
}

QVariantMap Mpris::Metadata() const
{
    const Form1::View playback = m_form.CurrentView();
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
    return m_form.CurrentView().slowMotion ? kSlowRate : kNormalRate;
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
    if (slow != m_form.CurrentView().slowMotion) {
        m_form.SlowMotion();
    }
}

double Mpris::Volume() const
{
    return m_form.CurrentView().volume / static_cast<double>(platform::kFullVolume);
}

void Mpris::SetVolume(double volume)
{
    // Above full is full: the engine does not amplify.
    const double clamped = std::clamp(volume, 0.0, 1.0);
    m_form.SetVolume(static_cast<int32_t>(std::lround(clamped * platform::kFullVolume)));
}

qint64 Mpris::Position() const
{
    const double frames = TotalFrames();
    if (!m_form.CurrentView().open || frames <= 0) {
        return 0;
    }
    const int32_t frame = m_form.PositionFrame();
    return frame < 0 ? 0 : std::llround(frame / frames * static_cast<double>(LengthUs()));
}

bool Mpris::CanGoNext() const
{
    const Form1::View view = m_form.CurrentView();
    return view.entry < view.entries - 1;
}

bool Mpris::CanGoPrevious() const
{
    return m_form.CurrentView().entry > 0;
}

bool Mpris::CanPlay() const
{
    return m_form.CurrentView().entries > 0;
}

bool Mpris::CanPause() const
{
    return m_form.CurrentView().open;
}

bool Mpris::CanSeek() const
{
    return m_form.CurrentView().open && LengthUs() > 0 && TotalFrames() > 0;
}

QString Mpris::TrackId() const
{
    return kTrackPrefix + QString::number(m_form.CurrentView().track);
}

qint64 Mpris::LengthUs() const
{
    // The length the window read when the file started (-0.001 s when it could not be read).
    const double seconds = m_form.CurrentView().lengthSeconds;
    return seconds > 0 ? std::llround(seconds * 1e6) : 0;
}

double Mpris::TotalFrames() const
{
    // What the slider seek reckons with too: frames, or milliseconds on media without video.
    return m_form.CurrentView().totalFrames;
}

}  // namespace zelko
