// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the playlist reader as the contents of pl1.txt or pl2.txt. Whatever
// it reads must survive a save and a load unchanged, since the player writes back every entry it
// loaded at each close; no byte but the line ends may go missing on the way; a file written with
// CR LF after every line comes back byte for byte; and every line is shown without losing a byte:
// as UTF-8 when it is UTF-8, otherwise one character per byte.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "player/playlist_file.h"

namespace zelko {

namespace {

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// Every CR is followed by LF, every LF follows a CR, and the text ends with a line end.
bool endsEveryLineWithCrLf(QByteArrayView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            return false;
        }
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            return false;
        }
    }
    return text.isEmpty() || text.endsWith('\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const PlaylistLines file = ReadPlaylistBytes(bytes);

    qsizetype kept = file.byteOrderMark ? 3 : 0;
    for (const QByteArray& line : file.lines) {
        check(IsPlaylistEntryStorable(line));  // a line end always ends an entry
        kept += line.size();
        const QString shown = DecodePlaylistLine(line);
        check(line.isValidUtf8() ? shown.toUtf8() == line : shown.size() == line.size());
    }
    check(kept == bytes.size() - bytes.count('\r') - bytes.count('\n'));

    const QByteArray written = PlaylistBytes(file);
    check(ReadPlaylistBytes(written) == file);
    check(PlaylistBytes(ReadPlaylistBytes(written)) == written);  // saving is stable
    const QByteArrayView body = QByteArrayView(bytes).sliced(file.byteOrderMark ? 3 : 0);
    if (endsEveryLineWithCrLf(body)) {
        check(written == bytes);
    }
    return 0;
}

}  // namespace zelko
