// Feeds arbitrary bytes to the playlist reader as the contents of pl1.txt or pl2.txt. Whatever
// it reads must survive a save and a load unchanged, since the player writes back every entry it
// loaded at each close.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "player/playlist_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList entries = ReadPlaylistBytes(bytes);

    bool storable = true;
    for (const QString& entry : entries) {
        if (!IsPlaylistEntryStorable(entry))
            storable = false;
    }
    // A line end always ends an entry, so nothing read can hold one.
    if (!storable)
        std::abort();

    const QByteArray written = PlaylistBytes(entries);
    if (ReadPlaylistBytes(written) != entries)
        std::abort();
    // Writing what was read a second time gives the same bytes: saving is stable.
    if (PlaylistBytes(ReadPlaylistBytes(written)) != written)
        std::abort();
    return 0;
}
