// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/playlist_entries.h"

#include <QListWidget>
#include <QSignalBlocker>

#include "player/playlist_file.h"

namespace zelko {

namespace playlist_entries {

void Append(QListWidget* list, const QList<QByteArray>& lines)
{
    // The texts go in as one insertion, which a long playlist needs. The bytes follow with the
    // model quiet: no view shows them, so a change signal per entry would only cost time.
    QStringList texts;
    texts.reserve(lines.size());
    for (const QByteArray& line : lines) {
        texts.append(ShownPlaylistLine(line));
    }
    const int first = list->count();
    list->addItems(texts);
    const QSignalBlocker quiet(list->model());
    for (int i = 0; i < lines.size(); ++i) {
        list->item(first + i)->setData(kBytesRole, lines[i]);
    }
}

QByteArray Bytes(const QListWidgetItem* item)
{
    const QVariant bytes = item->data(kBytesRole);
    return bytes.isValid() ? bytes.toByteArray() : item->text().toUtf8();
}

QList<QByteArray> AllBytes(const QListWidget* list)
{
    QList<QByteArray> lines;
    lines.reserve(list->count());
    for (int i = 0; i < list->count(); ++i) {
        lines.append(Bytes(list->item(i)));
    }
    return lines;
}

}  // namespace playlist_entries

}  // namespace zelko
