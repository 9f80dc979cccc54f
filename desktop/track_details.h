// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QVariantMap>
#include <cstdint>
#include <memory>

namespace zelko {

namespace platform {
class TrackTagReader;
struct TrackTags;
}  // namespace platform

// What a file's own tags say of it, as the desktop shows a track: MPRIS metadata (xesam:title,
// xesam:artist, xesam:album, xesam:trackNumber, xesam:genre, and mpris:artUrl for its cover,
// stored in the cover cache). The tags are read and the cover written off the UI thread; the
// answer comes back on it.
class TrackDetails : public QObject {
    Q_OBJECT
public:
    TrackDetails();
    ~TrackDetails() override;

    // Reads the file (its path as the file system's bytes); Known follows, once per request.
    void Ask(uint64_t request, const QByteArray& path);

    // The metadata entries the tags give, with the cover's file; only what the file says.
    static QVariantMap Metadata(const platform::TrackTags& tags, const QString& coverPath);

signals:
    void Known(uint64_t request, const QVariantMap& metadata);

private:
    std::unique_ptr<platform::TrackTagReader> m_reader;
};

}  // namespace zelko
