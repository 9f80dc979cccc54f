// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/file_drops.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>

#include "desktop/external_files.h"
#include "player/player.h"

namespace zelko {

namespace {

bool HasLocalFiles(const QMimeData* data)
{
    if (!data || !data->hasUrls()) {
        return false;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            return true;
        }
    }
    return false;
}

}  // namespace

FileDrops::FileDrops(Player& player) : QObject(&player), m_player(player)
{
    player.AcceptDrops(this);
}

bool FileDrops::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (HasLocalFiles(drag->mimeData())) {
            drag->acceptProposedAction();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!HasLocalFiles(drop->mimeData())) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        const ExternalFiles files = CollectDroppedFiles(drop->mimeData()->urls());
        ReportRefusals(files.refusals);
        // The files join after the drop has returned, so the program they came from is not
        // kept waiting while the first one opens.
        QTimer::singleShot(0, this, [this, paths = files.paths] { AppendAndPlay(m_player, paths); });
        return true;
    }
    default: return QObject::eventFilter(watched, event);
    }
}

}  // namespace zelko
