// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QtCore/qnamespace.h>

class QListWidget;
class QListWidgetItem;

namespace zelko {

// The playlist as List1 and List2 hold it: each item shows its entry's text and keeps, beside
// it, the bytes the entry was read with or will be written with, so an entry is never
// re-encoded on its way from the file to the engine or back to the file.
namespace playlist_entries {

// The item data role that holds an entry's bytes.
inline constexpr int kBytesRole = Qt::UserRole;

// Appends one entry per line, shown as ShownPlaylistLine shows it.
void Append(QListWidget* list, const QList<QByteArray>& lines);

// The entry's bytes; for an item that holds none (put there as text), the UTF-8 of its text.
QByteArray Bytes(const QListWidgetItem* item);

// Every entry's bytes, in list order.
QList<QByteArray> AllBytes(const QListWidget* list);

}  // namespace playlist_entries

}  // namespace zelko
