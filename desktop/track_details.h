// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QThreadPool>
#include <QVariantMap>
#include <cstdint>

#include "platform/tag_source.h"

namespace zelko {

// What a file's own tags say of it, as the desktop shows a track: MPRIS metadata (xesam:title,
// xesam:artist, xesam:album, xesam:trackNumber, xesam:genre, and mpris:artUrl for its cover,
// stored in the cover cache). The window parses no file: the tags come from the engine that
// opened it. The cover is written off the UI thread; the answer comes back on it.
class TrackDetails : public QObject {
    Q_OBJECT
public:
    // source tells the tags (the engine host's channel); without one every file is untagged.
    explicit TrackDetails(platform::TagSource* source);
    ~TrackDetails() override;

    // Asks for the tags of the file last opened from `path` (the file system's bytes); Known
    // follows, once per request, after the call has returned.
    void Ask(uint64_t request, const QByteArray& path);

    // The metadata entries the tags give, with the cover's file; only what the file says.
    static QVariantMap Metadata(const platform::TrackTags& tags, const QString& coverPath);

signals:
    void Known(uint64_t request, const QVariantMap& metadata);

private:
    platform::TagSource* m_source;
    QThreadPool m_covers;  // writes the pictures, one at a time
};

}  // namespace zelko
