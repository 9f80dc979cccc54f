// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/track_details.h"

#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <cstdint>
#include <utility>

#include "desktop/cover_cache.h"

namespace zelko {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text).trimmed();
}

}  // namespace

TrackDetails::TrackDetails(platform::TagSource* source) : m_source(source)
{
    m_covers.setMaxThreadCount(1);
}

// The pictures being written may still post to this object: they finish first.
TrackDetails::~TrackDetails()
{
    m_covers.waitForDone();
}

void TrackDetails::Ask(uint64_t request, const QByteArray& path)
{
    auto known = [this, request](platform::TrackTags tags) {
        // Runs on the cover thread: the cover is written there, then the answer is posted.
        m_covers.start([this, request, tags = std::move(tags)] {
            const QByteArray picture(reinterpret_cast<const char*>(tags.cover.data()),
                                     static_cast<qsizetype>(tags.cover.size()));
            const QString cover = StoreCover(picture, QString::fromStdString(tags.coverType));
            QVariantMap metadata = Metadata(tags, cover);
            QMetaObject::invokeMethod(
                this, [this, request, metadata = std::move(metadata)] { emit Known(request, metadata); },
                Qt::QueuedConnection);
        });
    };
    if (m_source == nullptr) {
        known({});
        return;
    }
    m_source->readTags(path.toStdString(), known);
}

QVariantMap TrackDetails::Metadata(const platform::TrackTags& tags, const QString& coverPath)
{
    QVariantMap metadata;
    if (const QString title = Text(tags.title); !title.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:title"), title);
    }
    if (const QString artist = Text(tags.artist); !artist.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{artist});
    }
    if (const QString album = Text(tags.album); !album.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:album"), album);
    }
    if (const QString genre = Text(tags.genre); !genre.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:genre"), QStringList{genre});
    }
    if (tags.trackNumber > 0) {
        metadata.insert(QStringLiteral("xesam:trackNumber"),
                        static_cast<int>(std::min<uint32_t>(tags.trackNumber, INT32_MAX)));
    }
    if (!coverPath.isEmpty()) {
        metadata.insert(QStringLiteral("mpris:artUrl"), QUrl::fromLocalFile(coverPath).toString(QUrl::FullyEncoded));
    }
    return metadata;
}

}  // namespace zelko
