// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <memory>

namespace zelko {

namespace platform {
class TagSource;
}  // namespace platform

class FailureNotice;
class Mpris;
class Player;
class ScreenSaverInhibit;
class TrackDetails;

// What the desktop talks to over the session bus: the media player interface for media keys and
// the sound menu, the screen kept awake while a video plays, and a notification when a file does
// not play. Follows the player through its signals; lives as long as the window is open.
class DesktopIntegration : public QObject {
    Q_OBJECT
public:
    // noBus is FindSessionBus's answer: not empty, the integration is off, and says so once on
    // standard error; the window runs as it would anywhere.
    // tags tells the tags of the files played (the engine host's channel).
    DesktopIntegration(Player& player, const QString& noBus, platform::TagSource* tags);
    ~DesktopIntegration() override;

private:
    // A file whose failure is told once its tags are known, by the title they give.
    struct Failure {
        QString title;
        QByteArray path;
        QString missingDecoder;
    };

    void AskTags();
    void TagsKnown(uint64_t request, const QVariantMap& metadata);

    // Changes are told once the handler that made them has finished: the end of one file and the
    // start of the next reach the desktop as one change.
    void Schedule();
    void Sync();

    Player& m_player;
    std::unique_ptr<Mpris> m_mpris;
    std::unique_ptr<ScreenSaverInhibit> m_inhibit;
    std::unique_ptr<FailureNotice> m_notice;
    std::unique_ptr<TrackDetails> m_details;
    uint64_t m_requests = 0;
    uint64_t m_taggedTrack = 0;           // the last file opened whose tags were asked for
    QHash<uint64_t, uint64_t> m_asked;    // request -> track
    QHash<uint64_t, Failure> m_failures;  // request -> failure to tell
    bool m_scheduled = false;
};

}  // namespace zelko
