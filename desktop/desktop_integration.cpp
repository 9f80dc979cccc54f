// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/desktop_integration.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QTimer>
#include <cstdio>

#include "desktop/failure_notice.h"
#include "desktop/log.h"
#include "desktop/mpris.h"
#include "desktop/screen_saver_inhibit.h"
#include "desktop/track_details.h"
#include "player/player.h"

namespace zelko {

namespace {

void SayOff(const QString& reason)
{
    std::fprintf(stderr, "zelko-player: desktop integration is off: %s\n", reason.toLocal8Bit().constData());
}

}  // namespace

DesktopIntegration::DesktopIntegration(Player& player, const QString& noBus, platform::TagSource* tags)
    : m_player(player)
{
    if (!noBus.isEmpty()) {
        SayOff(noBus);
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        SayOff(QStringLiteral("the session bus does not answer (%1)").arg(bus.lastError().message()));
        return;
    }
    m_mpris = std::make_unique<Mpris>(player, bus);
    QString failure;
    if (!m_mpris->Register(&failure)) {
        std::fprintf(stderr, "zelko-player: media keys and the sound menu cannot reach this player: %s\n",
                     failure.toLocal8Bit().constData());
        m_mpris.reset();
    } else {
        qCDebug(lcDesktop) << "media player on the session bus as" << bus.baseService();
    }
    m_inhibit = std::make_unique<ScreenSaverInhibit>(
        bus, QStringLiteral("x11:%1").arg(static_cast<qulonglong>(player.NativeWindow()), 0, 16));
    m_notice = std::make_unique<FailureNotice>(bus);
    m_details = std::make_unique<TrackDetails>(tags);
    connect(m_details.get(), &TrackDetails::Known, this, &DesktopIntegration::TagsKnown);

    connect(&player, &Player::PlaybackChanged, this, &DesktopIntegration::Schedule);
    connect(&player, &Player::PlayFailed, this,
            [this](const QString& title, const QByteArray& path, const Player::PlayFailure& failure) {
                m_failures.insert(++m_requests, {title, path, failure.missingDecoder});
                m_details->Ask(m_requests, path);
            });
    connect(&player, &Player::PlaylistNotSaved, this, [this](const QString& text) { m_notice->ShowNotSaved(text); });
    if (m_mpris) {
        // Auto Replay is the loop status, the window's state its fullscreen mode; what can come
        // next and before follows the selection and the playlist's edits.
        connect(&player, &Player::ViewChanged, this, &DesktopIntegration::Schedule);
        connect(&player, &Player::Seeked, this, [this] { m_mpris->SendSeeked(); });
    }
}

DesktopIntegration::~DesktopIntegration() = default;

// Each file opened has its tags read once; the metadata shows them when they are known.
void DesktopIntegration::AskTags()
{
    const Player::State playback = m_player.Now();
    if (!m_mpris || !playback.open || playback.track == m_taggedTrack) {
        return;
    }
    m_taggedTrack = playback.track;
    m_asked.insert(++m_requests, playback.track);
    m_details->Ask(m_requests, playback.path);
}

void DesktopIntegration::TagsKnown(uint64_t request, const QVariantMap& metadata)
{
    if (const auto failure = m_failures.constFind(request); failure != m_failures.cend()) {
        m_notice->Show(metadata.value(QStringLiteral("xesam:title"), failure->title).toString(), failure->path,
                       failure->missingDecoder);
        m_failures.erase(failure);
        return;
    }
    if (!m_asked.contains(request)) {
        return;
    }
    const uint64_t track = m_asked.take(request);
    if (m_mpris && track == m_player.Now().track) {
        m_mpris->SetTags(track, metadata);
        Schedule();
    }
}

void DesktopIntegration::Schedule()
{
    if (m_scheduled) {
        return;
    }
    m_scheduled = true;
    QTimer::singleShot(0, this, &DesktopIntegration::Sync);
}

void DesktopIntegration::Sync()
{
    m_scheduled = false;
    AskTags();
    if (m_mpris) {
        m_mpris->SendChanges();
    }
    // Only a video keeps the screen awake, and only while it plays.
    const Player::State state = m_player.Now();
    m_inhibit->SetWanted(state.status == Player::Status::Playing && state.open && state.video);
}

}  // namespace zelko
